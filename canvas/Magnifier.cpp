#include "canvas/Magnifier.h"

#include "canvas/ViewRows.h"
#include "document/PortraitGeometry.h"

#include <algorithm>

using namespace Portrait;

namespace {

// One store row as a back-buffer row: each pixel eight times, opaque. Eight separate
// stores of one value, which the compiler writes as one wide store.
void blockRow(const QRgb* pixels, QRgb* row)
{
    for (int x = 0; x < Width; ++x) {
        const QRgb p = pixels[x] | 0xFF000000u;
        QRgb* o = row + Zoom * x;
        o[0] = p;
        o[1] = p;
        o[2] = p;
        o[3] = p;
        o[4] = p;
        o[5] = p;
        o[6] = p;
        o[7] = p;
    }
}

} // namespace

void Magnifier::magnify(const QImage& store, QImage* backBuffer, QImage* view, const Grid& grid)
{
    const bool standard = grid.overlay && grid.standard;
    QRgb row[ViewWidth];
    QRgb lined[ViewWidth]; // the row with the standard grid's columns over it
    QRgb line[ViewWidth];  // a row of the standard grid's line
    if (standard)
        std::fill(line, line + ViewWidth, grid.line);
    // Each image is detached once here, not once per row.
    uchar* const backBits = backBuffer ? backBuffer->bits() : nullptr;
    uchar* const viewBits = view ? view->bits() : nullptr;
    const qsizetype backStride = backBuffer ? backBuffer->bytesPerLine() : 0;
    const qsizetype viewStride = view ? view->bytesPerLine() : 0;
    for (int y = 0; y < Height; ++y) {
        blockRow(reinterpret_cast<const QRgb*>(store.constScanLine(y)), row);
        if (standard && viewBits) {
            ViewRows::copy(lined, row, ViewWidth);
            for (int x = 0; x < ViewWidth; x += Zoom)
                lined[x] = grid.line;
        }
        for (int k = 0; k < Zoom; ++k) {
            const int py = Zoom * y + k;
            if (backBits)
                ViewRows::copy(reinterpret_cast<QRgb*>(backBits + py * backStride), row, ViewWidth);
            if (!viewBits)
                continue;
            auto* d = reinterpret_cast<QRgb*>(viewBits + py * viewStride);
            if (standard) {
                ViewRows::copy(d, k == 0 ? line : lined, ViewWidth);
            } else if (grid.overlay) {
                const auto* g = reinterpret_cast<const QRgb*>(grid.overlay->constScanLine(py));
                ViewRows::compose(d, row, g, ViewWidth, grid.key);
            } else {
                ViewRows::copy(d, row, ViewWidth);
            }
        }
    }
}

void Magnifier::backRow(const QImage& store, int y, int from, int to, QRgb* row)
{
    const auto* pixels = reinterpret_cast<const QRgb*>(store.constScanLine(y / Zoom));
    for (int x = from; x < to; ++x)
        row[x] = pixels[x / Zoom] | 0xFF000000u;
}
