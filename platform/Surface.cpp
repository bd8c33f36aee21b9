#include "platform/Surface.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {

// Clips a copy of w x h pixels from (sx, sy) in a source of srcSize to (dx, dy)
// in a destination of dstSize; false when nothing remains.
bool clipCopy(QSize srcSize, QSize dstSize, int& dx, int& dy, int& w, int& h, int& sx, int& sy)
{
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    if (dx < 0) {
        sx -= dx;
        w += dx;
        dx = 0;
    }
    if (dy < 0) {
        sy -= dy;
        h += dy;
        dy = 0;
    }
    w = std::min({w, srcSize.width() - sx, dstSize.width() - dx});
    h = std::min({h, srcSize.height() - sy, dstSize.height() - dy});
    return w > 0 && h > 0;
}

} // namespace

Surface::Surface(int width, int height, Colour backColour, QObject* parent)
    : QObject(parent), m_image(width, height, QImage::Format_RGB32), m_backColour(backColour)
{
    clear();
}

void Surface::resize(int width, int height)
{
    if (width == m_image.width() && height == m_image.height())
        return;
    QImage resized(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    resized.fill(toQRgb(m_backColour));
    QPainter p(&resized);
    p.drawImage(0, 0, m_image);
    p.end();
    m_image = resized;
}

void Surface::setBackColor(Colour c)
{
    m_backColour = c;
    clear();
}

void Surface::clear()
{
    m_image.fill(toQRgb(m_backColour));
}

Colour Surface::pixel(int x, int y) const
{
    if (!m_image.valid(x, y))
        return InvalidColour;
    return fromQRgb(reinterpret_cast<const QRgb*>(m_image.constScanLine(y))[x]);
}

void Surface::setPixel(int x, int y, Colour c)
{
    if (m_image.valid(x, y))
        reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = toQRgb(c);
}

void Surface::fillRect(const QRect& r, Colour c)
{
    const QRect clipped = r.intersected(m_image.rect());
    const QRgb v = toQRgb(c);
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        std::fill(row + clipped.left(), row + clipped.right() + 1, v);
    }
}

void Surface::copyFrom(const Surface& src, int dx, int dy, int w, int h, int sx, int sy)
{
    copyFrom(src.m_image, dx, dy, w, h, sx, sy);
}

void Surface::copyFrom(const QImage& srcImage, int dx, int dy, int w, int h, int sx, int sy)
{
    const QImage src = srcImage.format() == QImage::Format_RGB32 || srcImage.format() == QImage::Format_ARGB32
                           ? srcImage
                           : srcImage.convertToFormat(QImage::Format_RGB32);
    if (!clipCopy(src.size(), m_image.size(), dx, dy, w, h, sx, sy))
        return;
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy + y)) + sx;
        auto* d = reinterpret_cast<QRgb*>(m_image.scanLine(dy + y)) + dx;
        for (int x = 0; x < w; ++x)
            d[x] = s[x] | 0xFF000000u;
    }
}

void Surface::transparentCopyFrom(const Surface& src, int dx, int dy, int w, int h, int sx, int sy,
                                  Colour key)
{
    if (!clipCopy(src.size(), m_image.size(), dx, dy, w, h, sx, sy))
        return;
    const QRgb k = toQRgb(key);
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.m_image.constScanLine(sy + y)) + sx;
        auto* d = reinterpret_cast<QRgb*>(m_image.scanLine(dy + y)) + dx;
        for (int x = 0; x < w; ++x) {
            if (s[x] != k)
                d[x] = s[x];
        }
    }
}

void Surface::blendFrom(const QImage& srcImage, int dx, int dy, int w, int h, int sx, int sy, int alpha)
{
    alpha = std::clamp(alpha, 0, 255);
    const QImage src = srcImage.convertToFormat(QImage::Format_RGB32);
    if (!clipCopy(src.size(), m_image.size(), dx, dy, w, h, sx, sy))
        return;
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy + y)) + sx;
        auto* d = reinterpret_cast<QRgb*>(m_image.scanLine(dy + y)) + dx;
        for (int x = 0; x < w; ++x) {
            d[x] = qRgb(blendChannel(qRed(s[x]), qRed(d[x]), alpha),
                        blendChannel(qGreen(s[x]), qGreen(d[x]), alpha),
                        blendChannel(qBlue(s[x]), qBlue(d[x]), alpha));
        }
    }
}

void Surface::line(int x1, int y1, int x2, int y2, Colour c)
{
    // Bresenham; the loop stops before painting (x2, y2).
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        setPixel(x, y, c);
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

void Surface::rectangle(int x1, int y1, int x2, int y2, Colour c)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    fillRect(QRect(x1, y1, x2 - x1, 1), c);
    fillRect(QRect(x1, y2 - 1, x2 - x1, 1), c);
    fillRect(QRect(x1, y1, 1, y2 - y1), c);
    fillRect(QRect(x2 - 1, y1, 1, y2 - y1), c);
}

void Surface::present()
{
    emit presented(m_image.rect());
}

void Surface::present(const QRect& changed)
{
    emit presented(changed.intersected(m_image.rect()));
}
