#include "files/SavedLook.h"

#include "files/JpegCodec.h"
#include "files/cGdiPlus.h"
#include "platform/PictureLimits.h"

const QString SavedLook::EncodedName = QStringLiteral("preview.jpg");

SavedLook::SavedLook() = default;

SavedLook::~SavedLook() = default;

// One service for the preview's lifetime: it is asked on every held key and every
// debounced change, far too often to start the library each time. It is made by the
// first look, not with the window: a start-up that shows no preview never pays for it.
cGdiPlus& SavedLook::service()
{
    if (!m_gdip)
        m_gdip = std::make_unique<cGdiPlus>();
    return *m_gdip;
}

SavedLook::Result SavedLook::look(const QImage& portrait, std::int32_t quality, bool fullChroma)
{
    Result r;
    QByteArray bytes;
    if (!service().EncodePicture(portrait, EncodedName, quality, bytes, fullChroma)) {
        r.error = service().lastErrorDetail();
        return r;
    }
    // The bytes this very encoder has just written, and nothing a user gave: the one
    // picture the editor decodes in its own process.
    const JpegCodec::Decoded decoded =
        JpegCodec::decode(bytes, int(PictureLimits::MaxSide), qint64(PictureLimits::MaxPixels));
    if (decoded.failure != JpegCodec::Failure::None) {
        r.error = decoded.detail;
        return r;
    }
    r.picture = decoded.image;
    r.bytes = bytes.size();
    return r;
}

qint64 SavedLook::size(const QImage& portrait, std::int32_t quality, bool fullChroma)
{
    QByteArray bytes;
    return service().EncodePicture(portrait, EncodedName, quality, bytes, fullChroma) ? bytes.size() : -1;
}
