#pragma once

#include "files/GdiStatus.h"
#include "platform/PictureLimits.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QSize>

// What a picture file must pass to be opened: a plain file within the size limit, a
// format the open command reads, a header within the pixel bounds, data as long as the
// header says. Every refusal comes with its status and its reason in words.
class PictureFileChecks {
    Q_DECLARE_TR_FUNCTIONS(cGdiPlus)

public:
    // Files beyond these are refused from their header, before any pixel is decoded.
    static constexpr int MaxSide = int(PictureLimits::MaxSide);
    static constexpr qint64 MaxPixels = qint64(PictureLimits::MaxPixels);
    // Room for any picture inside the bound stored without compression at up to 16 bits a
    // sample with alpha (8 bytes a pixel), and its headers.
    static constexpr qint64 MaxFileBytes = MaxPixels * 8 + (1LL << 20);

    // The file's bytes (never empty), or nothing and why.
    static QByteArray readFile(const QString& fileName, GdiFailure& failure);
    // The decoded picture as RGB32 composited over the background, or a null image and why.
    static QImage decode(const QByteArray& data, QRgb background, GdiFailure& failure);
};
