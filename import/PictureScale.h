#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>

// The import window's zoom: a picture shown at 2^(step / 4) of its size, from 1/1024 up
// to 8 times. Shrinking works in linear light. Smooth averages areas exactly (each shown
// pixel is the mean light of the picture's pixels it covers, fractions of pixels weighted
// by the part covered); Sharp filters with a Lanczos-3 window, which keeps fine detail
// crisp. Enlarging repeats pixels, so they stay sharp for picking; at 1:1 the pixels are
// the picture's own.
namespace PictureScale {
enum class Filter { Smooth, Sharp };

inline constexpr int MinStep = -40;
inline constexpr int MaxStep = 12;

double factor(int step);
// The shown size at a step: each side rounded, never below one pixel.
QSize scaledSize(QSize picture, int step);
// The smallest step whose shown picture still has both sides of at least one pixel.
int minimumStep(QSize picture);

// The picture at a step (step 0 is the picture itself).
QImage scaled(const QImage& picture, int step);
// The pixels of the picture shown at a size, only inside part (clipped to the shown
// picture): the same pixels as the whole scaled picture has there, without building it.
// Each axis shrinks with the filter or enlarges by repeating pixels.
QImage scaledPart(const QImage& picture, QSize shown, QRect part, Filter filter = Filter::Smooth);
// A quick look at the same part: each shown pixel is the picture pixel under its centre,
// no averaging (a stand-in while the exact part is being made).
QImage sampledPart(const QImage& picture, QSize shown, QRect part);
// The picture as a whole, scaled to fit inside (fit) or to cover (cover) a frame, the
// aspect ratio kept; each side at least one pixel.
QSize fitSize(QSize picture, QSize frame);
QSize coverSize(QSize picture, QSize frame);
// The rectangle of the picture's own pixels that a part of the shown picture covers,
// rounded outwards.
QRect sourceRect(QSize picture, QSize shown, QRect part);
// Area-averaging reduction (in linear light) to a size no larger than the picture's on
// either side.
QImage areaAverage(const QImage& picture, QSize size);

// The whole picture inside a frame, its sides in proportion, centred; the rest of
// the frame is the background colour.
QImage fitInside(const QImage& picture, QSize frame, QRgb background, Filter filter);
// The picture scaled, sides in proportion, until it covers the frame; its centre is kept.
QImage coverFrame(const QImage& picture, QSize frame, Filter filter);
} // namespace PictureScale
