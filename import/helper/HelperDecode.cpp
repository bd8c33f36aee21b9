#include "import/helper/HelperDecode.h"

#include "import/ImportLimits.h"
#include "import/JpegDecoder.h"
#include "import/PngDecoder.h"
#include "import/helper/PortraitReader.h"
#include "platform/BitmapHeader.h"
#include "platform/BoundedImageReader.h"

#include <QBuffer>
#include <algorithm>
#include <cstdint>
#include <new>

namespace HelperDecode {

namespace {

using FreeImageLibrary::DecodedPicture;
using FreeImageLibrary::Fallback;

// A bitmap shorter than its header promises: readers fill the missing rows with black.
// Sizes beyond the bound are left to the decoder, which refuses them as too large.
bool bitmapCut(const unsigned char* data, std::size_t size, DecodedPicture& picture)
{
    const std::size_t head = std::min<std::size_t>(size, BitmapHeader::HeadBytes);
    const BitmapHeader header =
        BitmapHeader::parse(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(head)));
    if (!header.valid ||
        !ImportLimits::withinBounds(std::uint64_t(header.size.width()),
                                    std::uint64_t(header.size.height())) ||
        std::uint64_t(size) >= std::uint64_t(header.bytesNeeded))
        return false;
    picture.format = FreeImageLibrary::BmpFormat;
    picture.failure = FreeImageLibrary::Failure::Damaged;
    picture.failureText = "the bitmap is shorter than its header says";
    return true;
}

// Qt's readers on a file the library gave no pixels for, under the same bound.
QImage readWithQt(const unsigned char* data, std::size_t size, DecodedPicture& picture)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const BoundedImageReader reader{int(ImportLimits::MaxSide), qint64(ImportLimits::MaxPixels)};
    BoundedImageReader::Result result;
    try {
        result = reader.read(file);
    } catch (const std::bad_alloc&) {
        result.outcome = BoundedImageReader::Outcome::Damaged;
        result.detail = QStringLiteral("out of memory");
    }
    picture.fallbackText = result.detail.toStdString();
    switch (result.outcome) {
    case BoundedImageReader::Outcome::Decoded:
        picture.fallback = Fallback::Decoded;
        picture.width = std::uint32_t(result.image.width());
        picture.height = std::uint32_t(result.image.height());
        picture.converted = true;
        PortraitReader::keepTexts(result.image, picture);
        return result.image;
    case BoundedImageReader::Outcome::TooLarge:
        picture.fallback = Fallback::TooLarge;
        picture.tooLarge = true;
        picture.width = std::uint32_t(result.claimedSize.width());
        picture.height = std::uint32_t(result.claimedSize.height());
        break;
    case BoundedImageReader::Outcome::NotAPicture:
        picture.fallback = Fallback::NotAPicture;
        break;
    case BoundedImageReader::Outcome::Damaged:
        picture.fallback = Fallback::Damaged;
        break;
    case BoundedImageReader::Outcome::Unreadable:
        picture.fallback = Fallback::Unreadable;
        break;
    }
    return {};
}

bool looksLikeJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

} // namespace

Decoded decode(const unsigned char* data, std::size_t size, const FreeImageLibrary::MessageSink& sink,
               const FreeImageLibrary::PixelStore& store, const Jpeg::Need& need)
{
    Decoded out;
    DecodedPicture& picture = out.picture;
    const int format = FreeImageLibrary::identify(data, size);
    if (format == FreeImageLibrary::JpegFormat)
        picture = JpegDecoder::decode(data, size, sink, store, false, need);
    else if (format == FreeImageLibrary::PngFormat)
        picture = PngDecoder::decode(data, size, sink, store);
    else if (format != FreeImageLibrary::BmpFormat || !bitmapCut(data, size, picture))
        picture = FreeImageLibrary::decode(data, size, sink);
    const bool refused = picture.tooLarge || picture.failure == FreeImageLibrary::Failure::Damaged;
    if (!picture.converted && !refused)
        out.qtPixels = readWithQt(data, size, picture);
    return out;
}

QImage decodeAsOpenDoes(const unsigned char* data, std::size_t size,
                        const FreeImageLibrary::MessageSink& sink, const FreeImageLibrary::PixelStore& store,
                        DecodedPicture& picture)
{
    if (looksLikeJpeg(data, size)) {
        picture = JpegDecoder::decode(data, size, sink, store, true);
        return {};
    }
    try {
        return PortraitReader::read(data, size, picture);
    } catch (const std::bad_alloc&) {
        picture = {};
        picture.failure = FreeImageLibrary::Failure::OutOfMemory;
        picture.failureText = "the picture does not fit in memory";
    }
    return {};
}

} // namespace HelperDecode
