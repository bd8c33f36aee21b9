#include "controls/PictureCache.h"

#include <cstdlib>

namespace {

bool nearKey(QRgb p, QRgb key)
{
    return std::abs(qRed(p) - qRed(key)) <= 3 && std::abs(qGreen(p) - qGreen(key)) <= 3 &&
           std::abs(qBlue(p) - qBlue(key)) <= 3;
}

} // namespace

void PictureCache::build(const QImage& bitmap, QSize size)
{
    m_image = QImage();
    if (bitmap.isNull() || size.width() <= 0 || size.height() <= 0)
        return;
    // A plain stretch: smoothing would mix the key into the edges and leave a halo.
    QImage scaled = bitmap.convertToFormat(QImage::Format_RGB32)
                        .scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_key = scaled.pixel(0, 0) | 0xFF000000u;
    for (int y = 0; y < scaled.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(scaled.scanLine(y));
        for (int x = 0; x < scaled.width(); ++x)
            if (nearKey(line[x], m_key))
                line[x] = m_key;
    }
    m_image = scaled;
}

QRegion PictureCache::transparentRegion() const
{
    QRegion region;
    for (int y = 0; y < m_image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
        int x = 0;
        while (x < m_image.width()) {
            if ((line[x] | 0xFF000000u) != m_key) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < m_image.width() && (line[x] | 0xFF000000u) == m_key)
                ++x;
            region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}
