#include "canvas/Magnifier.h"

#include "canvas/ViewRows.h"

#include <algorithm>

void Magnifier::magnify(const QImage& store, int zoom, const QRect& area, QImage& target, QPoint origin)
{
    const int right = area.right() + 1;
    const auto row = [&](int viewY) {
        return reinterpret_cast<QRgb*>(target.scanLine(viewY - area.top() + origin.y())) + origin.x();
    };
    for (int y = area.top(); y <= area.bottom();) {
        const int cellY = y / zoom;
        const int bandEnd = std::min((cellY + 1) * zoom, area.bottom() + 1);
        const auto* pixels = reinterpret_cast<const QRgb*>(store.constScanLine(cellY));
        QRgb* first = row(y);
        QRgb* d = first;
        for (int x = area.left(); x < right;) {
            const int cellX = x / zoom;
            const int runEnd = std::min((cellX + 1) * zoom, right);
            d = std::fill_n(d, runEnd - x, pixels[cellX] | 0xFF000000u);
            x = runEnd;
        }
        for (int r = y + 1; r < bandEnd; ++r)
            ViewRows::copy(row(r), first, area.width());
        y = bandEnd;
    }
}
