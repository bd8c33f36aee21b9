#include "files/JpegCodec.h"

#include "files/Jpeg.h"

#include <QCoreApplication>

bool JpegCodec::looksLikeJpeg(const QByteArray& data)
{
    return Jpeg::looksLikeJpeg(reinterpret_cast<const unsigned char*>(data.constData()),
                               std::size_t(data.size()));
}

bool JpegCodec::encode(const QImage& image, int quality, QByteArray& out, QString& error, Chroma chroma)
{
    if (image.isNull()) {
        error = QCoreApplication::translate("cGdiPlus", "there is no picture to encode");
        return false;
    }
    const QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
    const bool full = chroma == Chroma::Full || (chroma == Chroma::ByQuality && quality >= FullChromaQuality);
    std::vector<unsigned char> bytes;
    std::string why;
    if (!Jpeg::encode(reinterpret_cast<const std::uint32_t*>(rgb32.constBits()), std::uint32_t(rgb32.width()),
                      std::uint32_t(rgb32.height()), std::size_t(rgb32.bytesPerLine() / 4), quality, full,
                      bytes, why)) {
        error = QString::fromLocal8Bit(why.c_str());
        return false;
    }
    out = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    return true;
}

JpegCodec::Decoded JpegCodec::decode(const QByteArray& data, int maxSide, qint64 maxPixels)
{
    Decoded result;
    if (!looksLikeJpeg(data)) {
        result.failure = Failure::NotJpeg;
        result.detail = QCoreApplication::translate("cGdiPlus", "not a JPEG file");
        return result;
    }
    QImage image;
    Jpeg::DecodeOptions options;
    options.maxSide = std::uint64_t(qMax(0, maxSide));
    options.maxPixels = std::uint64_t(qMax<qint64>(0, maxPixels));
    options.strict = true;
    const Jpeg::Decoded decoded =
        Jpeg::decode(reinterpret_cast<const unsigned char*>(data.constData()), std::size_t(data.size()),
                     options, [&image](std::uint32_t w, std::uint32_t h) -> std::uint32_t* {
                         image = QImage(int(w), int(h), QImage::Format_RGB32);
                         return image.isNull() ? nullptr : reinterpret_cast<std::uint32_t*>(image.bits());
                     });
    result.claimedSize = QSize(int(qMin<std::uint32_t>(decoded.width, 0x7fffffff)),
                               int(qMin<std::uint32_t>(decoded.height, 0x7fffffff)));
    switch (decoded.outcome) {
    case Jpeg::Outcome::Decoded:
        result.image = image;
        return result;
    case Jpeg::Outcome::TooLarge:
        result.failure = Failure::OutOfBounds;
        result.detail =
            QStringLiteral("%1 x %2 pixels").arg(result.claimedSize.width()).arg(result.claimedSize.height());
        return result;
    case Jpeg::Outcome::Damaged:
        break;
    }
    result.failure = Failure::Damaged;
    result.detail = QString::fromLocal8Bit(decoded.failure.c_str());
    return result;
}
