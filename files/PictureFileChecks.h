#pragma once

#include "files/PictureDecoder.h"
#include "platform/GdiStatus.h"
#include "platform/PictureLimits.h"
#include "platform/Status.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QSize>

// What a picture file must pass to be opened: a plain file within the size limit that
// the decoder then reads as Open does (a format the open command reads, a header within
// the pixel bounds, data as long as the header says). Every refusal comes with its status
// and its reason in words.
class PictureFileChecks {
    Q_DECLARE_TR_FUNCTIONS(cGdiPlus)

public:
    // Files beyond these are refused from their header, before any pixel is decoded.
    static constexpr int MaxSide = int(PictureLimits::MaxSide);
    static constexpr qint64 MaxPixels = qint64(PictureLimits::MaxPixels);
    // Room for any picture inside the bound stored without compression at up to 16 bits a
    // sample with alpha (8 bytes a pixel), and its headers.
    static constexpr qint64 MaxFileBytes = MaxPixels * 8 + (1LL << 20);

    // Ok when the file may be handed to the decoder: it exists, is a plain file that can be
    // opened for reading, is not empty and not beyond MaxFileBytes. Nothing is read.
    static Status checkFile(const QString& fileName);
    // Why the decoder gave no picture, in Open's terms; Ok for a decoded one. A cancelled
    // decode is Aborted.
    static Status statusOf(const PictureDecoder::Decoded& decoded);
};
