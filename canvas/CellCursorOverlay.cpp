#include "canvas/CellCursorOverlay.h"

#include <algorithm>

QRect CellCursorOverlay::rect(int zoom) const
{
    if (!m_cell)
        return {};
    return QRect(m_cell->x() * zoom, m_cell->y() * zoom, zoom, zoom).adjusted(-1, -1, 1, 1);
}

void CellCursorOverlay::paint(const ViewFrame& frame) const
{
    const QRect outer = rect(frame.zoom);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const auto ring = [&frame](const QRect& r, QRgb colour) {
        for (const QRect& side :
             {QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
              QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())}) {
            const QRect s = side.intersected(frame.area);
            for (int y = s.top(); y <= s.bottom(); ++y)
                std::fill_n(frame.at(s.left(), y), s.width(), colour);
        }
    };
    ring(outer, Outer);
    ring(inner, Inner);
}
