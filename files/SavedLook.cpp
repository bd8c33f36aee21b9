#include "files/SavedLook.h"

#include "files/cGdiPlus.h"

const QString SavedLook::EncodedName = QStringLiteral("preview.jpg");

// One service for the preview's lifetime: it is asked on every held key and every
// debounced change, far too often to start the library each time.
SavedLook::SavedLook() : m_gdip(std::make_unique<cGdiPlus>()) {}

SavedLook::~SavedLook() = default;

SavedLook::Result SavedLook::look(const QImage& portrait, std::int32_t quality, bool fullChroma)
{
    Result r;
    QByteArray bytes;
    if (!m_gdip->EncodePicture(portrait, EncodedName, quality, bytes, fullChroma)) {
        r.error = m_gdip->lastErrorDetail();
        return r;
    }
    r.picture = m_gdip->BytesToIPicture(bytes);
    if (r.picture.isNull()) {
        r.error = m_gdip->lastErrorDetail();
        return r;
    }
    r.bytes = bytes.size();
    return r;
}

qint64 SavedLook::size(const QImage& portrait, std::int32_t quality, bool fullChroma)
{
    QByteArray bytes;
    return m_gdip->EncodePicture(portrait, EncodedName, quality, bytes, fullChroma) ? bytes.size() : -1;
}
