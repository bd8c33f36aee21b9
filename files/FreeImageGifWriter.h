#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// GIF output through FreeImage (Qt reads GIF but cannot write it), loaded on the first
// GIF written. A picture of at most 256 colours keeps them exactly; a richer one is
// reduced with Wu's quantizer. Without FreeImage, encode() fails and says why.
class FreeImageGifWriter {
public:
    static bool encode(const QImage& image, QByteArray& out, QString& error);
};
