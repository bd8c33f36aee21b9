#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

namespace TestSupport {

QString tempDir()
{
    static QTemporaryDir dir;
    return dir.path();
}

QString tempPath(const QString& name)
{
    return QDir(tempDir()).filePath(name);
}

Colour pixelAt(const QImage& image, int x, int y)
{
    return fromQRgb(image.pixel(x, y));
}

QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 5) & 255, (y * 4) & 255, ((x + y) * 3) & 255));
    return image;
}

} // namespace TestSupport
