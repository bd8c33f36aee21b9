#include "files/cGdiPlus.h"

#include "files/AtomicFileWriter.h"
#include "files/PictureDecoder.h"
#include "platform/Flatten.h"
#include "platform/Surface.h"

namespace {
quintptr nextToken = 0;
}

// Both delegate to the start-up, which hands out the session's token.
cGdiPlus::cGdiPlus(StartOnly, QObject* parent) : QObject(parent)
{
    startUp();
}

cGdiPlus::cGdiPlus(QObject* parent) : cGdiPlus(StartOnly{}, parent)
{
    m_encoders = platformEncoders();
    LoadEncoders();
}

cGdiPlus::cGdiPlus(QList<ImageCodecInfo> encoders, QObject* parent) : cGdiPlus(StartOnly{}, parent)
{
    m_encoders = std::move(encoders);
    LoadEncoders();
}

cGdiPlus::~cGdiPlus() = default;

void cGdiPlus::startUp()
{
    m_token = ++nextToken;
    if (m_token == 0)
        m_token = ++nextToken;
}

void cGdiPlus::LoadEncoders()
{
    const int n = int(m_encoders.size());
    m_encoderClsids = QList<QUuid>(n);
    m_index.clear();
    for (int i = n - 1; i >= 0; --i) {
        m_encoderClsids[i] = m_encoders[i].Clsid;
        IndexExtensions(m_encoders[i].FilenameExtension, QStringLiteral(";"), i);
    }
}

void cGdiPlus::fail(const ::Status& status)
{
    m_lastError = status;
    emit Error(status.code(), GdiErrorString(status.code()));
}

bool cGdiPlus::EncodePicture(const QImage& bitmap, const QString& sFileName, const std::int32_t& lQuality,
                             QByteArray& bytes, bool fullChroma)
{
    m_lastError = {};
    const QString ext = GetExtension(sFileName);
    const int index = FindEncoder(QStringLiteral("*.") + ext);
    if (index < 0) {
        // Said in the result only: the service reports no Error for a name it has no encoder for.
        m_lastError = {
            UnknownImageFormat,
            ext.isEmpty()
                ? tr("The name has no extension to tell the format by; end it in .jpg, for example.")
                : tr("No image encoder writes .%1 files.").arg(ext)};
        return false;
    }
    if (bitmap.isNull()) {
        fail({InvalidParameter, tr("There is no picture to save.")});
        return false;
    }
    EncoderParameters parameters;
    if (ext.front() == u'J' || ext.front() == u'j') {
        parameters << EncoderParameter{EncoderQuality, 1, 4, std::uint32_t(lQuality)};
        if (fullChroma)
            parameters << EncoderParameter{EncoderFullChroma, 1, 4, 1};
    }

    QString detail;
    const ImageCodecInfo& encoder = m_encoders[index];
    const int status =
        encoder.Encode ? encoder.Encode(bitmap, parameters, bytes, detail) : int(NotImplemented);
    if (status != Ok) {
        fail({status,
              detail.isEmpty() ? tr("The %1 encoder failed.").arg(encoder.FormatDescription) : detail});
        return false;
    }
    return true;
}

bool cGdiPlus::PictureBoxToFile(const Surface& pic, const QString& sFileName, const std::int32_t& lQuality,
                                bool fullChroma)
{
    QByteArray bytes;
    if (!EncodePicture(pic.image(), sFileName, lQuality, bytes, fullChroma))
        return false;

    if (const ::Status written = AtomicFileWriter::write(sFileName, bytes); !written.ok()) {
        fail(written);
        return false;
    }
    return true;
}

QImage cGdiPlus::FilenameToIPicture(const QString& sFileName, QRgb background)
{
    m_lastError = {};
    m_lastSize = {};
    if (const ::Status checked = PictureFileChecks::checkFile(sFileName); !checked.ok()) {
        fail(checked);
        return {};
    }
    return decode(PictureSource::file(sFileName), background);
}

QImage cGdiPlus::BytesToIPicture(const QByteArray& data, QRgb background)
{
    m_lastError = {};
    m_lastSize = {};
    if (data.isEmpty()) {
        fail({UnknownImageFormat, tr("There are no bytes to decode.")});
        return {};
    }
    return decode(PictureSource::data(data), background);
}

QImage cGdiPlus::decode(const PictureSource& source, QRgb background)
{
    if (!m_decoder) {
        fail({NotImplemented, tr("There is no decoder for pictures.")});
        return {};
    }
    const PictureDecoder::Decoded decoded = m_decoder->decode(source, PictureDecoder::Rules::Open);
    if (decoded.outcome == PictureDecoder::Outcome::Cancelled) {
        // The user stopped it: nothing failed, and nothing is reported.
        m_lastError = PictureFileChecks::statusOf(decoded);
        return {};
    }
    if (!decoded.ok()) {
        fail(PictureFileChecks::statusOf(decoded));
        return {};
    }
    m_lastSize = decoded.size;
    return flattenedOver(decoded.pixels, background);
}
