#include "canvas/GridOverlay.h"

#include "canvas/ViewRows.h"

#include <algorithm>

GridOverlay::GridOverlay(QSize view) : m_surface(view.width(), view.height(), KeyColour) {}

void GridOverlay::draw(QSize view, int zoom)
{
    m_surface.resize(view.width(), view.height());
    m_surface.clear();
    for (int x = 0; x < view.width(); x += zoom)
        m_surface.line(x, 0, x, view.height(), LineColour);
    for (int y = 0; y < view.height(); y += zoom)
        m_surface.line(0, y, view.width(), y, LineColour);
    m_standardKey = m_surface.backColor() == KeyColour ? key() : -1;
    m_standardZoom = zoom;
}

bool GridOverlay::isStandard(int zoom) const
{
    return key() == m_standardKey && zoom == m_standardZoom;
}

void GridOverlay::paint(const ViewFrame& frame) const
{
    const QRect& a = frame.area;
    if (isStandard(frame.zoom)) {
        const QRgb line = toQRgb(LineColour);
        const int firstColumn = (a.left() + frame.zoom - 1) / frame.zoom * frame.zoom;
        for (int y = a.top(); y <= a.bottom(); ++y) {
            QRgb* d = frame.at(a.left(), y);
            if (y % frame.zoom == 0) {
                std::fill_n(d, a.width(), line);
                continue;
            }
            for (int x = firstColumn; x <= a.right(); x += frame.zoom)
                d[x - a.left()] = line;
        }
        return;
    }
    // Whatever the surface holds: every pixel that is not the key colour covers the view.
    const QRect r = a.intersected(m_surface.rect());
    const QRgb k = toQRgb(KeyColour);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* d = frame.at(r.left(), y);
        const auto* g = reinterpret_cast<const QRgb*>(m_surface.image().constScanLine(y)) + r.left();
        ViewRows::compose(d, d, g, r.width(), k);
    }
}
