#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// GIF output through FreeImage (Qt reads GIF but cannot write it). A picture of at
// most 256 colours keeps them exactly; a richer one is reduced with Wu's quantizer.
class FreeImageGifWriter {
public:
    static bool encode(const QImage& image, QByteArray& out, QString& error);

    // FreeImage counts its start-ups; each startUp() needs one shutDown().
    static void startUp();
    static void shutDown();
    static bool available();
};
