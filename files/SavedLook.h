#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

class cGdiPlus;

// How a portrait will look once saved: encoded in memory through the codec service
// exactly as Save encodes a .jpg at the quality, and decoded back from those bytes by
// libjpeg-turbo, with the strict settings Open uses, here in the editor (the bytes are
// its own encoder's).
class SavedLook {
public:
    struct Result {
        QImage picture;    // the decoded picture; null when encoding or decoding failed
        qint64 bytes = -1; // the encoded size; -1 on failure
        QString error;
        bool ok() const { return !picture.isNull() && bytes >= 0; }
    };

    // The name handed to the encoder: portraits are saved as .jpg.
    static const QString EncodedName;

    SavedLook();
    ~SavedLook();

    // fullChroma as Save passes it for the "Full colour detail" option.
    Result look(const QImage& portrait, std::int32_t quality, bool fullChroma = false);
    // Only the size, without decoding.
    qint64 size(const QImage& portrait, std::int32_t quality, bool fullChroma = false);

private:
    cGdiPlus& service();

    std::unique_ptr<cGdiPlus> m_gdip;
};
