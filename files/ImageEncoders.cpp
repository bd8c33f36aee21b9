#include "files/ImageEncoders.h"

#include "files/FreeImageGifWriter.h"
#include "files/JpegCodec.h"
#include "platform/GdiStatus.h"

#include <QBuffer>
#include <QImageWriter>

namespace {

int qtWriter(const char* format, const QImage& image, QByteArray& out, QString& detail)
{
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        detail = writer.errorString();
        return GdiStatus::GenericError;
    }
    return GdiStatus::Ok;
}

int jpegWriter(const QImage& image, const EncoderParameters& parameters, QByteArray& out, QString& detail)
{
    std::uint32_t quality = 75;
    JpegCodec::Chroma chroma = JpegCodec::Chroma::ByQuality;
    for (const EncoderParameter& p : parameters) {
        if (p.Guid == ImageEncoders::Quality && p.NumberOfValues == 1 && p.Type == 4)
            quality = p.Value;
        if (p.Guid == ImageEncoders::FullChroma && p.NumberOfValues == 1 && p.Type == 4 && p.Value == 1)
            chroma = JpegCodec::Chroma::Full;
    }
    if (quality > 100) {
        detail = QCoreApplication::translate("cGdiPlus", "JPEG quality %1 is outside 0..100")
                     .arg(qint64(std::int32_t(quality)));
        return GdiStatus::InvalidParameter;
    }
    return JpegCodec::encode(image, int(quality), out, detail, chroma) ? GdiStatus::Ok
                                                                       : GdiStatus::GenericError;
}

QList<ImageCodecInfo> installed()
{
    // Identities as the platform's own encoders carry them.
    auto clsid = [](int n) {
        return QUuid(0x557CF400u + uint(n), 0x1A04, 0x11D3, 0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E);
    };
    const QList<QByteArray> qtFormats = QImageWriter::supportedImageFormats();
    QList<ImageCodecInfo> list;
    list << ImageCodecInfo{clsid(0), QStringLiteral("BMP"), QStringLiteral("*.BMP;*.DIB;*.RLE"),
                           QStringLiteral("image/bmp"),
                           [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                               return qtWriter("bmp", i, o, d);
                           }};
    list << ImageCodecInfo{clsid(1), QStringLiteral("JPEG"), QStringLiteral("*.JPG;*.JPEG;*.JPE;*.JFIF"),
                           QStringLiteral("image/jpeg"), jpegWriter};
    // Listed without loading FreeImage (it is loaded by the first GIF written; the package
    // depends on it); a system without it gets the encoder's error on that save.
    list << ImageCodecInfo{
        clsid(2), QStringLiteral("GIF"), QStringLiteral("*.GIF"), QStringLiteral("image/gif"),
        [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
            return FreeImageGifWriter::encode(i, o, d) ? int(GdiStatus::Ok) : int(GdiStatus::GenericError);
        }};
    if (qtFormats.contains("tiff"))
        list << ImageCodecInfo{clsid(5), QStringLiteral("TIFF"), QStringLiteral("*.TIF;*.TIFF"),
                               QStringLiteral("image/tiff"),
                               [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                                   return qtWriter("tiff", i, o, d);
                               }};
    list << ImageCodecInfo{clsid(6), QStringLiteral("PNG"), QStringLiteral("*.PNG"),
                           QStringLiteral("image/png"),
                           [](const QImage& i, const EncoderParameters&, QByteArray& o, QString& d) {
                               return qtWriter("png", i, o, d);
                           }};
    return list;
}

} // namespace

QList<ImageCodecInfo> ImageEncoders::platform()
{
    // Asking Qt which formats it writes loads every image plugin it has; the answer
    // cannot change while the program runs, so it is asked once, by the first command
    // that needs an encoder.
    static const QList<ImageCodecInfo> encoders = installed();
    return encoders;
}
