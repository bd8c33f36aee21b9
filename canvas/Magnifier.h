#pragma once

#include <QImage>
#include <QRect>

// The one routine that enlarges the portrait: each pixel of a 48 x 56 picture becomes a
// solid, opaque zoom x zoom block of the view. Any rectangle of the view is written in
// one pass, each block row once and then copied down; the grid's lines (on the first row
// and column of every block) can go into the same pass, so each pixel is written once.
class Magnifier {
public:
    // View pixels area (within the enlarged picture) of store enlarged zoom times, area's
    // top-left pixel written at topLeft, rows stride bytes apart; store is RGB32. With
    // gridLine, the grid's lines in that colour over it.
    static void magnify(const QImage& store, int zoom, const QRect& area, QRgb* topLeft, qsizetype stride,
                        const QRgb* gridLine = nullptr);
    // The whole picture enlarged zoom times, without grid, as a new RGB32 image.
    static QImage enlarged(const QImage& picture, int zoom);
};
