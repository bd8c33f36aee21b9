#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

// A crisp reduction: each axis is filtered with a Lanczos-3 window in linear light
// (three lobes of sinc, scaled to the reduction), the first axis's result clamped to the
// light's range before the second, the final one clamped again, as print and web tools
// reduce photos. An axis that does not shrink repeats pixels instead.
namespace SharpScale {

// The pixels of the picture shown at a size, only inside part (which lies within the
// shown picture). picture is RGB32.
QImage part(const QImage& picture, QSize shown, QRect part);

// The same for a picture of size whole of which only a piece is at hand: pixels holds the
// piece whose top-left is at origin, and it must include every pixel the part draws on
// (sourceRect tells which).
QImage part(const QImage& pixels, QPoint origin, QSize whole, QSize shown, QRect part);
// The pixels of a picture of size whole that the part of it shown at a size draws on.
QRect sourceRect(QSize whole, QSize shown, QRect part);

} // namespace SharpScale
