#pragma once

#include <QRegion>
#include <QSize>

class PictureCache;

// The outline of a button: the window's own shape, the clip regions the oval and custom
// shapes paint through (outer one pixel inside the window's edge, inner two), and the
// horizontal extent of the usable face.
struct ButtonGeometry {
    QRegion window;    // empty: the plain rectangle, no mask needed
    QRegion outerClip; // empty for the rectangular family
    QRegion innerClip;
    int leftInset = 0;  // L
    int rightLimit = 0; // R
};

namespace ButtonRegion {

// Width a diagonal button must have: widened in steps of 5 until the face beside the
// 45-degree side (slant H + 1) is more than 4 pixels wide.
int diagonalWidth(int width, int height);

// Size a custom-shaped button takes: the picture fitted into the client size keeping
// its proportions.
QSize customShapeSize(QSize client, QSize picture);

// The region of a shape at W x H. Custom shapes cut the key-coloured runs of the cache
// (built at W x H) out of every region; without a cache they get no region.
ButtonGeometry BuildRegion(int shape, int style, bool enabled, int width, int height,
                           const PictureCache* customCache = nullptr);

// The pixels of a region that lie on its border (inside it, next to a pixel outside).
QRegion borderOf(const QRegion& region);
// The region shrunk by n pixels on every side.
QRegion eroded(const QRegion& region, int n);

} // namespace ButtonRegion
