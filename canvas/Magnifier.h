#pragma once

#include <QImage>
#include <QRect>

// The one routine that enlarges the portrait: each pixel of a 48 x 56 picture becomes a
// solid, opaque zoom x zoom block of the view. Any rectangle of the view is written in
// one pass, each block row once and then copied down.
class Magnifier {
public:
    // View pixels area (within the enlarged picture) of store enlarged zoom times, into
    // target with area's top-left corner at origin; store is RGB32.
    static void magnify(const QImage& store, int zoom, const QRect& area, QImage& target, QPoint origin);
};
