#pragma once

#include "files/EncoderIndex.h"
#include "files/ImageEncoders.h"
#include "files/PictureDecoder.h"
#include "files/PictureFileChecks.h"
#include "platform/GdiStatus.h"
#include "platform/Status.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <cstdint>

class Surface;

// The codec service of the file commands: indexes the encoders by extension, writes a
// picture box's image in the format the file name selects (with the JPEG quality for
// extensions starting with J), and decodes image files through the decoder it is given
// (never in this process: files are the user's and may be hostile). Failures are
// reported through Error and through the results; lastError() holds the status and
// what went wrong in words.
class cGdiPlus : public QObject {
    Q_OBJECT
public:
    using Status = GdiStatus::Status;
    using enum GdiStatus::Status;

    static constexpr int MaxSide = PictureFileChecks::MaxSide;
    static constexpr qint64 MaxPixels = PictureFileChecks::MaxPixels;
    static constexpr qint64 MaxFileBytes = PictureFileChecks::MaxFileBytes;

    static constexpr QUuid EncoderQuality = ImageEncoders::Quality;
    static constexpr QUuid EncoderFullChroma = ImageEncoders::FullChroma;

    static QList<ImageCodecInfo> platformEncoders() { return ImageEncoders::platform(); }

    explicit cGdiPlus(QObject* parent = nullptr);
    // With a given encoder list instead of the platform's. Throws CommandError when
    // two encoders claim the same extension.
    explicit cGdiPlus(QList<ImageCodecInfo> encoders, QObject* parent = nullptr);
    ~cGdiPlus() override;

    // Who decodes for FilenameToIPicture and BytesToIPicture; without one they fail.
    void setDecoder(PictureDecoder* decoder) { m_decoder = decoder; }

    // The picture as Open reads it: its top-left part, as much as a portrait keeps, as
    // RGB32 composited over the background (transparent pixels take it; black unless
    // told), or a null image. lastPictureSize() is the whole picture's size. A decode the
    // user cancelled is a null image with the status Aborted and no Error.
    QImage FilenameToIPicture(const QString& sFileName, QRgb background = qRgb(0, 0, 0));
    // fullChroma asks a JPEG encoder for 4:4:4 whatever the quality.
    bool PictureBoxToFile(const Surface& pic, const QString& sFileName, const std::int32_t& lQuality,
                          bool fullChroma = false);
    // The bytes PictureBoxToFile would write for the name and quality, without touching
    // the disk: the encoder is chosen the same way and gets the same parameters.
    bool EncodePicture(const QImage& bitmap, const QString& sFileName, const std::int32_t& lQuality,
                       QByteArray& bytes, bool fullChroma = false);
    // Decodes bytes as FilenameToIPicture decodes a file's contents.
    QImage BytesToIPicture(const QByteArray& data, QRgb background = qRgb(0, 0, 0));
    QSize lastPictureSize() const { return m_lastSize; }
    static QString GdiErrorString(int lError) { return GdiStatus::text(lError); }

    quintptr GdipToken() const { return m_token; }
    const QList<QUuid>& EncoderClsids() const { return m_encoderClsids; }
    const QList<ImageCodecInfo>& encoders() const { return m_encoders; }
    // The encoder index for a pattern such as "*.jpg", any letter case; -1 if none.
    int FindEncoder(const QString& key) const { return m_index.find(key); }
    // The text after the name's last ".", empty when a folder separator follows it.
    static QString GetExtension(const QString& name) { return EncoderIndex::extensionOf(name); }
    void IndexExtensions(const QString& text, const QString& separator, int index)
    {
        m_index.add(text, separator, index);
    }
    QStringList indexedExtensions() const { return m_index.keys(); }

    // How the last call ended: Ok, or a GdiStatus code with the reason in words.
    const ::Status& lastError() const { return m_lastError; }
    int lastStatus() const { return m_lastError.code(); }
    QString lastErrorDetail() const { return m_lastError.message(); }

signals:
    void Error(int lGdiError, const QString& sErrorDesc);

private:
    struct StartOnly {};
    cGdiPlus(StartOnly, QObject* parent);
    void startUp();
    void LoadEncoders();
    void fail(const ::Status& status);
    QImage decode(const PictureSource& source, QRgb background);

    PictureDecoder* m_decoder = nullptr;
    QSize m_lastSize;
    quintptr m_token = 0;
    QList<ImageCodecInfo> m_encoders;
    QList<QUuid> m_encoderClsids;
    EncoderIndex m_index;
    ::Status m_lastError;
};
