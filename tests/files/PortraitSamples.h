#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdlib>

// Pictures the file tests share.
namespace PortraitSamples {

// A portrait with pixel-sized detail: a face-coloured oval on a gradient, with one
// pixel in five a saturated colour of its own.
inline QImage detailedPortrait(int width = 48, int height = 56)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator rng(1234);
    const QRgb palette[] = {qRgb(230, 190, 160), qRgb(120, 60, 30), qRgb(20, 20, 120), qRgb(250, 250, 250),
                            qRgb(200, 30, 40),   qRgb(30, 160, 60), qRgb(10, 10, 10),  qRgb(255, 220, 0)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int dx = x - 24, dy = y - 26;
            QRgb c = qRgb((40 + x * 3) & 255, (60 + y * 2) & 255, std::abs(150 - y) & 255);
            if (dx * dx * 1.4 + dy * dy < 380)
                c = palette[0];
            if (rng.bounded(5) == 0)
                c = palette[rng.bounded(8)];
            image.setPixel(x, y, c);
        }
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The largest difference of any red, green or blue value between two pictures.
inline int maxChannelError(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace PortraitSamples
