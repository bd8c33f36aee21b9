#include "canvas/Magnifier.h"

#include "canvas/ViewRows.h"
#include "document/PortraitGeometry.h"

#include <algorithm>

using namespace Portrait;

void Magnifier::magnify(const QImage& store, QImage& backBuffer, QImage& view, const Grid& grid)
{
    const bool standard = grid.overlay && grid.standard;
    QRgb row[ViewWidth];
    QRgb lined[ViewWidth]; // the row with the standard grid's columns over it
    // Each image is detached once here, not once per row.
    uchar* const backBits = backBuffer.bits();
    uchar* const viewBits = view.bits();
    const qsizetype backStride = backBuffer.bytesPerLine();
    const qsizetype viewStride = view.bytesPerLine();
    for (int y = 0; y < Height; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(store.constScanLine(y));
        for (int x = 0; x < Width; ++x)
            std::fill(row + Zoom * x, row + Zoom * (x + 1), pixels[x] | 0xFF000000u);
        if (standard) {
            ViewRows::copy(lined, row, ViewWidth);
            for (int x = 0; x < ViewWidth; x += Zoom)
                lined[x] = grid.line;
        }
        for (int k = 0; k < Zoom; ++k) {
            const int py = Zoom * y + k;
            ViewRows::copy(reinterpret_cast<QRgb*>(backBits + py * backStride), row, ViewWidth);
            auto* d = reinterpret_cast<QRgb*>(viewBits + py * viewStride);
            if (standard) {
                if (k == 0)
                    std::fill(d, d + ViewWidth, grid.line);
                else
                    ViewRows::copy(d, lined, ViewWidth);
            } else if (grid.overlay) {
                const auto* g = reinterpret_cast<const QRgb*>(grid.overlay->constScanLine(py));
                ViewRows::compose(d, row, g, ViewWidth, grid.key);
            } else {
                ViewRows::copy(d, row, ViewWidth);
            }
        }
    }
}
