#include "controls/ButtonCanvas.h"

#include "controls/ButtonColours.h"

#include <cstdlib>

bool ButtonCanvas::paintable(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return false;
    return m_clip.isEmpty() || m_clip.contains(QPoint(x, y));
}

void ButtonCanvas::setPixel(int x, int y, Colour c)
{
    if (paintable(x, y))
        m_image.setPixel(x, y, toQRgb(c));
}

Colour ButtonCanvas::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return InvalidColour;
    return fromQRgb(m_image.pixel(x, y));
}

void ButtonCanvas::invertPixel(int x, int y)
{
    if (paintable(x, y))
        m_image.setPixel(x, y, m_image.pixel(x, y) ^ 0x00FFFFFFu);
}

void ButtonCanvas::fillRect(const QRect& r, Colour c)
{
    fillRegion(QRegion(r), c);
}

void ButtonCanvas::fillRegion(const QRegion& r, Colour c)
{
    QRegion area = r & QRegion(0, 0, width(), height());
    if (!m_clip.isEmpty())
        area &= m_clip;
    const QRgb v = toQRgb(c);
    for (const QRect& rect : area) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
            for (int x = rect.left(); x <= rect.right(); ++x)
                line[x] = v;
        }
    }
}

template <typename F> void ButtonCanvas::walkLine(QPoint from, QPoint to, F plot)
{
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    int step = 0;
    while (x != to.x() || y != to.y()) {
        plot(x, y, step++);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void ButtonCanvas::line(QPoint from, QPoint to, Colour c)
{
    walkLine(from, to, [&](int x, int y, int) { setPixel(x, y, c); });
}

void ButtonCanvas::dottedLine(QPoint from, QPoint to)
{
    walkLine(from, to, [&](int x, int y, int) {
        if (((x + y) & 1) == 0)
            invertPixel(x, y);
    });
}

void ButtonCanvas::verticalGradient(Colour top, Colour bottom)
{
    const int H = height();
    if (H <= 0)
        return;
    const QList<Colour> table = gradientTable(top, bottom, H);
    for (int y = 0; y < H; ++y)
        fillRect(QRect(0, y, width(), 1), table[y]);
}

void ButtonCanvas::beginPainter(QPainter& p)
{
    p.begin(&m_image);
    if (!m_clip.isEmpty())
        p.setClipRegion(m_clip);
}
