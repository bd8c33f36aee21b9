#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <functional>

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

// The encoders this machine really has.
class ImageEncoders {
    Q_DECLARE_TR_FUNCTIONS(cGdiPlus)

public:
    static constexpr QUuid Quality{0x1D5BE4B5, 0xFA4A, 0x452D, 0x9C, 0xDD, 0x5D,
                                   0xB3,       0x51,   0x05,   0xE7, 0xEB};
    // Our own JPEG setting: value 1 keeps full chroma resolution (4:4:4) at any quality.
    static constexpr QUuid FullChroma{0xCC4BA306, 0x40FA, 0x49C6, 0xAE, 0xB4, 0x71,
                                      0x76,       0x24,   0xD2,   0xD0, 0xAC};

    // BMP, JPEG, GIF, TIFF, PNG: every one this machine can really write.
    static QList<ImageCodecInfo> platform();
};
