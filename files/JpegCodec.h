#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG for QImage through the Jpeg module: the encoder gets control over chroma
// subsampling, and the decoder treats every libjpeg warning (truncated or corrupt
// data) as a failure instead of returning a picture with grey rows.
class JpegCodec {
public:
    enum class Failure { None, OutOfBounds, Damaged, NotJpeg, Internal };

    struct Decoded {
        QImage image; // RGB32; null unless failure is None
        Failure failure = Failure::None;
        QString detail;
        QSize claimedSize; // from the header, when it was read
    };

    // A quality from 0 to 100. Full chroma resolution (4:4:4) is used from
    // FullChromaQuality up; below, the usual 4:2:0.
    static constexpr int FullChromaQuality = 100;
    enum class Chroma { ByQuality, Full, Quartered };
    static bool encode(const QImage& image, int quality, QByteArray& out, QString& error,
                       Chroma chroma = Chroma::ByQuality);

    // The header's size is checked against the limits before any pixel is decoded. Only
    // for bytes the encoder above has written (the as-saved preview): the pictures a user
    // names are decoded out of the editor's process (see PictureDecoder).
    static Decoded decode(const QByteArray& data, int maxSide, qint64 maxPixels);

    static bool looksLikeJpeg(const QByteArray& data);
};
