#include "import/helper/PortraitReader.h"

#include "import/HelperProtocol.h"
#include "import/ImportLimits.h"
#include "platform/BitmapHeader.h"
#include "platform/BoundedImageReader.h"

#include <QBuffer>
#include <QCoreApplication>

namespace PortraitReader {

namespace {

using FreeImageLibrary::DecodedPicture;
using FreeImageLibrary::Fallback;

// The formats Open decodes besides JPEG, and nothing else: a file no reader of these takes
// is not one of its pictures, whatever another reader makes of it. The icon reader, which
// takes the most, comes last.
const QList<QByteArray>& openFormats()
{
    static const QList<QByteArray> formats{"bmp", "gif", "png", "tiff", "ico"};
    return formats;
}

// Qt's GIF reader shows what it got of a cut file. A whole first picture means every data
// sub-block of it is there, up to the empty one that ends it.
bool gifFirstImageComplete(const QByteArray& d)
{
    const qsizetype n = d.size();
    auto skipSubBlocks = [&](qsizetype at) -> qsizetype {
        while (at < n) {
            const int length = uchar(d[at]);
            if (length == 0)
                return at + 1;
            at += 1 + length;
        }
        return -1;
    };
    if (n < 13)
        return false;
    const uchar screenFlags = uchar(d[10]);
    qsizetype at = 13 + ((screenFlags & 0x80) ? 3 * (2 << (screenFlags & 7)) : 0);
    while (at < n) {
        const uchar introducer = uchar(d[at]);
        if (introducer == 0x21) { // extension: label, then sub-blocks
            at = skipSubBlocks(at + 2);
        } else if (introducer == 0x2C) { // image: descriptor, colour table, code size, data
            if (at + 10 > n)
                return false;
            const uchar imageFlags = uchar(d[at + 9]);
            at += 10 + ((imageFlags & 0x80) ? 3 * (2 << (imageFlags & 7)) : 0);
            return at < n && skipSubBlocks(at + 1) > 0;
        } else {
            return false; // trailer or rubbish before any picture
        }
        if (at < 0)
            return false;
    }
    return false;
}

void tooLarge(DecodedPicture& picture, QSize claimed)
{
    picture.tooLarge = true;
    picture.fallback = Fallback::TooLarge;
    picture.width = std::uint32_t(std::max(claimed.width(), 0));
    picture.height = std::uint32_t(std::max(claimed.height(), 0));
}

// The editor shows these in its own language: they are its words, marked for translation
// in the context of its codec service.
void damaged(DecodedPicture& picture, const char* why)
{
    picture.failure = FreeImageLibrary::Failure::Damaged;
    picture.failureText = why;
}

} // namespace

void keepTexts(const QImage& image, DecodedPicture& picture)
{
    for (const QString& key : image.textKeys()) {
        if (picture.texts.size() >= HelperProtocol::MaxTexts)
            break;
        picture.texts.emplace_back(key.toStdString(), image.text(key).toStdString());
    }
}

QImage read(const unsigned char* data, std::size_t size, DecodedPicture& picture)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = BoundedImageReader::formatOf(buffer, openFormats());
    if (format.isEmpty()) {
        picture.fallback = Fallback::NotAPicture;
        return {};
    }
    const BitmapHeader bitmap = format == "bmp" ? BitmapHeader::parse(bytes) : BitmapHeader{};
    if (bitmap.valid && !ImportLimits::withinBounds(std::uint64_t(std::max(bitmap.size.width(), 0)),
                                                    std::uint64_t(std::max(bitmap.size.height(), 0)))) {
        tooLarge(picture, bitmap.size);
        return {};
    }
    if (bitmap.valid && qint64(bytes.size()) < bitmap.bytesNeeded) {
        damaged(picture, QT_TRANSLATE_NOOP("cGdiPlus", "the bitmap is shorter than its header says"));
        return {};
    }
    if (format == "gif" && !gifFirstImageComplete(bytes)) {
        damaged(picture, QT_TRANSLATE_NOOP("cGdiPlus", "the picture data ends early"));
        return {};
    }
    const BoundedImageReader::Result read =
        BoundedImageReader(int(ImportLimits::MaxSide), qint64(ImportLimits::MaxPixels))
            .read(buffer, {format});
    switch (read.outcome) {
    case BoundedImageReader::Outcome::Decoded:
        picture.fallback = Fallback::Decoded;
        picture.converted = true;
        picture.width = std::uint32_t(read.image.width());
        picture.height = std::uint32_t(read.image.height());
        keepTexts(read.image, picture);
        return read.image;
    case BoundedImageReader::Outcome::TooLarge:
        tooLarge(picture, read.claimedSize);
        break;
    case BoundedImageReader::Outcome::NotAPicture:
        picture.fallback = Fallback::NotAPicture;
        break;
    case BoundedImageReader::Outcome::Unreadable:
        picture.fallback = Fallback::Unreadable;
        picture.fallbackText = read.detail.toStdString();
        break;
    case BoundedImageReader::Outcome::Damaged:
        picture.failure = FreeImageLibrary::Failure::Damaged;
        picture.failureText = read.detail.toStdString();
        break;
    }
    return {};
}

} // namespace PortraitReader
