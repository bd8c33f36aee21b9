#include "canvas/Magnifier.h"

#include "canvas/ViewRows.h"

#include <algorithm>

namespace {

// Whole cells [from, to) of a store row, Z pixels each: a size known at compile time lets
// the compiler write each cell as wide stores.
template <int Z> QRgb* wholeCellsOf(QRgb* o, const QRgb* pixels, int from, int to)
{
    for (int c = from; c < to; ++c, o += Z) {
        const QRgb p = pixels[c] | 0xFF000000u;
        for (int k = 0; k < Z; ++k)
            o[k] = p;
    }
    return o;
}

QRgb* wholeCells(QRgb* o, const QRgb* pixels, int from, int to, int zoom)
{
    switch (zoom) {
    case 4:
        return wholeCellsOf<4>(o, pixels, from, to);
    case 6:
        return wholeCellsOf<6>(o, pixels, from, to);
    case 8:
        return wholeCellsOf<8>(o, pixels, from, to);
    case 12:
        return wholeCellsOf<12>(o, pixels, from, to);
    case 16:
        return wholeCellsOf<16>(o, pixels, from, to);
    default:
        for (int c = from; c < to; ++c)
            o = std::fill_n(o, zoom, pixels[c] | 0xFF000000u);
        return o;
    }
}

} // namespace

void Magnifier::magnify(const QImage& store, int zoom, const QRect& area, QRgb* topLeft, qsizetype stride,
                        const QRgb* gridLine)
{
    const int right = area.right() + 1;
    const int width = area.width();
    const auto row = [&](int viewY) {
        return reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(topLeft) + (viewY - area.top()) * stride);
    };
    for (int y = area.top(); y <= area.bottom();) {
        const int cellY = y / zoom;
        const int bandEnd = std::min((cellY + 1) * zoom, area.bottom() + 1);
        const auto* pixels = reinterpret_cast<const QRgb*>(store.constScanLine(cellY));
        const QRgb* drawn = nullptr; // the band's first row below its line, copied down
        for (int r = y; r < bandEnd; ++r) {
            QRgb* d = row(r);
            if (gridLine && r % zoom == 0) {
                std::fill_n(d, width, *gridLine);
                continue;
            }
            if (drawn) {
                ViewRows::copy(d, drawn, width);
                continue;
            }
            // A part of a cell on the left, whole cells, a part on the right.
            const int firstWhole = (area.left() + zoom - 1) / zoom, endWhole = right / zoom;
            QRgb* o = d;
            if (firstWhole > endWhole) {
                o = std::fill_n(o, width, pixels[area.left() / zoom] | 0xFF000000u);
            } else {
                o = std::fill_n(o, firstWhole * zoom - area.left(), pixels[area.left() / zoom] | 0xFF000000u);
                o = wholeCells(o, pixels, firstWhole, endWhole, zoom);
                if (right > endWhole * zoom)
                    std::fill_n(o, right - endWhole * zoom, pixels[endWhole] | 0xFF000000u);
            }
            if (gridLine)
                for (int x = (area.left() + zoom - 1) / zoom * zoom; x < right; x += zoom)
                    d[x - area.left()] = *gridLine;
            drawn = d;
        }
        y = bandEnd;
    }
}

QImage Magnifier::enlarged(const QImage& picture, int zoom)
{
    if (picture.isNull() || zoom < 1)
        return {};
    const QImage store = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    QImage out(store.size() * zoom, QImage::Format_RGB32);
    magnify(store, zoom, out.rect(), reinterpret_cast<QRgb*>(out.bits()), out.bytesPerLine());
    return out;
}
