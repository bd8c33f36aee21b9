#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <functional>

class Surface;

// One setting handed to an encoder, e.g. the JPEG quality.
struct EncoderParameter {
    QUuid Guid;
    std::uint32_t NumberOfValues = 1;
    std::uint32_t Type = 4; // 32-bit unsigned integers
    std::uint32_t Value = 0;
};
using EncoderParameters = QList<EncoderParameter>;

// An installed encoder: its identity, the extension patterns it claims
// ("*.JPG;*.JPEG"), and the function that turns a picture into file bytes. Encode
// returns a status (0 for success) and, on failure, a description in detail.
struct ImageCodecInfo {
    QUuid Clsid;
    QString FormatDescription;
    QString FilenameExtension;
    QString MimeType;
    std::function<int(const QImage& image, const EncoderParameters& parameters, QByteArray& out,
                      QString& detail)>
        Encode;
};

// The codec service of the file commands: indexes the encoders by extension, writes a
// picture box's image in the format the file name selects (with the JPEG quality for
// extensions starting with J), and decodes image files. Failures are reported through
// Error and through the results; lastErrorDetail() says what went wrong in words.
class cGdiPlus : public QObject {
    Q_OBJECT
public:
    enum Status {
        Ok = 0,
        GenericError = 1,
        InvalidParameter = 2,
        OutOfMemory = 3,
        ObjectBusy = 4,
        InsufficientBuffer = 5,
        NotImplemented = 6,
        Win32Error = 7,
        WrongState = 8,
        Aborted = 9,
        FileNotFound = 10,
        ValueOverflow = 11,
        AccessDenied = 12,
        UnknownImageFormat = 13,
    };

    // Files beyond these are refused from their header, before any pixel is decoded.
    static constexpr int MaxSide = 16384;
    static constexpr qint64 MaxPixels = 100'000'000;
    // Room for any picture inside the bound stored without compression at up to 16 bits a
    // sample with alpha (8 bytes a pixel), and its headers.
    static constexpr qint64 MaxFileBytes = MaxPixels * 8 + (1LL << 20);

    static const QUuid EncoderQuality;
    // Our own JPEG setting: value 1 keeps full chroma resolution (4:4:4) at any quality.
    static const QUuid EncoderFullChroma;

    // BMP, JPEG, GIF, TIFF, PNG: every one this machine can really write.
    static QList<ImageCodecInfo> platformEncoders();

    explicit cGdiPlus(QObject* parent = nullptr);
    // With a given encoder list instead of the platform's. Throws CommandError when
    // two encoders claim the same extension.
    explicit cGdiPlus(QList<ImageCodecInfo> encoders, QObject* parent = nullptr);
    ~cGdiPlus() override;

    // The decoded picture as RGB32, composited over the background (transparent pixels
    // take it; black unless told), or a null image.
    QImage FilenameToIPicture(const QString& sFileName, QRgb background = qRgb(0, 0, 0));
    // fullChroma asks a JPEG encoder for 4:4:4 whatever the quality.
    bool PictureBoxToFile(const Surface& pic, const QString& sFileName, const std::int32_t& lQuality,
                          bool fullChroma = false);
    // The bytes PictureBoxToFile would write for the name and quality, without touching
    // the disk: the encoder is chosen the same way and gets the same parameters.
    bool EncodePicture(const QImage& bitmap, const QString& sFileName, const std::int32_t& lQuality,
                       QByteArray& bytes, bool fullChroma = false);
    // Decodes file bytes as FilenameToIPicture decodes a file's contents.
    QImage BytesToIPicture(const QByteArray& data, QRgb background = qRgb(0, 0, 0));
    static QString GdiErrorString(int lError);

    quintptr GdipToken() const { return m_token; }
    const QList<QUuid>& EncoderClsids() const { return m_encoderClsids; }
    const QList<ImageCodecInfo>& encoders() const { return m_encoders; }
    // The encoder index for a pattern such as "*.jpg", any letter case; -1 if none.
    int FindEncoder(const QString& key) const;
    // The text after the name's last ".", empty when a folder separator follows it.
    static QString GetExtension(const QString& name);
    void IndexExtensions(const QString& text, const QString& separator, int index);
    QStringList indexedExtensions() const { return m_encoderByExtension.keys(); }

    int lastStatus() const { return m_lastStatus; }
    QString lastErrorDetail() const { return m_lastDetail; }

signals:
    void Error(int lGdiError, const QString& sErrorDesc);

private:
    struct StartOnly {};
    cGdiPlus(StartOnly, QObject* parent);
    void startUp();
    void LoadEncoders();
    void fail(int status, const QString& detail);
    QImage decode(const QByteArray& data, QRgb background);

    quintptr m_token = 0;
    bool m_startedFreeImage = false;
    QList<ImageCodecInfo> m_encoders;
    QList<QUuid> m_encoderClsids;
    QMap<QString, int> m_encoderByExtension; // keys case-folded
    int m_lastStatus = Ok;
    QString m_lastDetail;
};
