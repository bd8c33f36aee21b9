#include "platform/PixelArt.h"

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cmath>

namespace {

int wholeFactor(qreal ratio)
{
    return std::max(1, int(std::lround(ratio)));
}

QPixmap enlarged(const QImage& image, int factor)
{
    QPixmap result = QPixmap::fromImage(
        image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    result.setDevicePixelRatio(factor);
    return result;
}

} // namespace

namespace PixelArt {

QImage png(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QIcon icon(const QString& path)
{
    const QImage image = png(path);
    QIcon result;
    if (image.isNull())
        return result;
    for (int factor = 1; factor <= 4; ++factor)
        result.addPixmap(enlarged(image, factor));
    return result;
}

QPixmap pixmap(const QString& path, qreal ratio)
{
    const QImage image = png(path);
    return image.isNull() ? QPixmap() : enlarged(image, wholeFactor(ratio));
}

QCursor cursor(const QString& path, int hotX, int hotY, qreal ratio)
{
    // The X11 platform plugin takes the hot spot in pixmap pixels and ignores the pixmap's
    // device pixel ratio, so the enlarged pointer keeps a ratio of 1.
    const int factor = wholeFactor(ratio);
    QPixmap big = pixmap(path, factor);
    big.setDevicePixelRatio(1);
    return QCursor(big, hotX * factor, hotY * factor);
}

QIcon applicationIcon()
{
    QIcon result;
    for (int size : {16, 32, 48, 64, 128, 256})
        result.addPixmap(QPixmap::fromImage(png(QStringLiteral(":/icons/pictoria-%1.png").arg(size))));
    return result;
}

} // namespace PixelArt
