#include "platform/Surface.h"

#include "platform/LineSteps.h"

#include <QPainter>
#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Four pixels at a time in 16-bit lanes where SSE2 is there: s * a + d * (255 - a) + 127
// is at most 65152, and for such a v, v / 255 is (v + 1 + (v >> 8)) >> 8 exactly.
void Surface::blendRow(QRgb* d, const QRgb* s, int n, int alpha)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_set1_epi16(short(alpha));
    const __m128i rest = _mm_set1_epi16(short(255 - alpha));
    const __m128i half = _mm_set1_epi16(127);
    const __m128i one = _mm_set1_epi16(1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const auto blend = [&](__m128i src, __m128i dst) {
        __m128i v = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(src, a), _mm_mullo_epi16(dst, rest)), half);
        v = _mm_add_epi16(_mm_add_epi16(v, one), _mm_srli_epi16(v, 8));
        return _mm_srli_epi16(v, 8);
    };
    for (; x + 4 <= n; x += 4) {
        const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i low = blend(_mm_unpacklo_epi8(src, zero), _mm_unpacklo_epi8(dst, zero));
        const __m128i high = blend(_mm_unpackhi_epi8(src, zero), _mm_unpackhi_epi8(dst, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                         _mm_or_si128(_mm_packus_epi16(low, high), opaque));
    }
#endif
    for (; x < n; ++x)
        d[x] =
            qRgb(blendChannel(qRed(s[x]), qRed(d[x]), alpha), blendChannel(qGreen(s[x]), qGreen(d[x]), alpha),
                 blendChannel(qBlue(s[x]), qBlue(d[x]), alpha));
}

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
        blendRow(reinterpret_cast<QRgb*>(m_image.scanLine(dy + y)) + dx, s, w, alpha);
    }
}

void Surface::line(int x1, int y1, int x2, int y2, Colour c)
{
    // The end point stays unpainted.
    forEachLineStep(QPoint(x1, y1), QPoint(x2, y2), [&](QPoint p) { setPixel(p.x(), p.y(), c); });
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
