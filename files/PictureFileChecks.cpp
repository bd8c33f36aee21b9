#include "files/PictureFileChecks.h"

#include "files/JpegCodec.h"
#include "platform/BitmapHeader.h"
#include "platform/BoundedImageReader.h"
#include "platform/Flatten.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when the reader returns, whichever way.
struct ClosedOnExit {
    int fd;
    ~ClosedOnExit() { ::close(fd); }
};

// The formats the open command decodes besides JPEG, and nothing else: a file no reader
// of these takes is not one of its pictures, whatever another reader makes of it. The
// icon reader, which takes the most, comes last.
const QList<QByteArray>& decodableFormats()
{
    static const QList<QByteArray> formats{"bmp", "gif", "png", "tiff", "ico"};
    return formats;
}

// Qt's GIF reader shows what it got of a cut file. A whole first picture
// means every data sub-block of it is there, up to the empty one that ends it.
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

using Checks = PictureFileChecks;

bool withinBounds(QSize size)
{
    return BoundedImageReader(Checks::MaxSide, Checks::MaxPixels).withinBounds(size);
}

GdiFailure notAPicture()
{
    return {
        GdiStatus::UnknownImageFormat,
        QCoreApplication::translate("cGdiPlus", "The file is not a picture in a format this program reads.")};
}

GdiFailure damaged(const QString& why)
{
    return {GdiStatus::GenericError,
            QCoreApplication::translate("cGdiPlus", "The file is damaged or incomplete (%1).").arg(why)};
}

GdiFailure outOfBounds(QSize size)
{
    return {
        GdiStatus::ValueOverflow,
        QCoreApplication::translate(
            "cGdiPlus", "The picture claims %1 x %2 pixels; at most %3 a side and %4 megapixels are opened.")
            .arg(size.width())
            .arg(size.height())
            .arg(Checks::MaxSide)
            .arg(Checks::MaxPixels / 1'000'000)};
}

} // namespace

QByteArray PictureFileChecks::readFile(const QString& fileName, GdiFailure& failure)
{
    const auto noFile = [&] {
        failure = {GdiStatus::FileNotFound,
                   tr("There is no file %1.").arg(QDir::toNativeSeparators(fileName))};
        return QByteArray();
    };
    // One descriptor answers everything: opened without waiting (a pipe would block the
    // open) and never as a controlling terminal, then one fstat says what it is.
    const QByteArray path = QFile::encodeName(fileName);
    if (path.isEmpty())
        return noFile();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return noFile();
        failure = {error == EACCES || error == EPERM ? GdiStatus::AccessDenied : GdiStatus::Win32Error,
                   qt_error_string(error)};
        return {};
    }
    const ClosedOnExit closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        failure = {GdiStatus::Win32Error, qt_error_string(errno)};
        return {};
    }
    if (S_ISDIR(info.st_mode))
        return noFile();
    // A pipe or device would block the reader or never end.
    if (!S_ISREG(info.st_mode)) {
        failure = {GdiStatus::UnknownImageFormat, tr("This is not a plain file.")};
        return {};
    }
    if (info.st_size > MaxFileBytes) {
        failure = {GdiStatus::ValueOverflow, tr("The file holds %1 MB; at most %2 MB are opened.")
                                                 .arg(qint64(info.st_size) / (1024 * 1024))
                                                 .arg(MaxFileBytes / (1024 * 1024))};
        return {};
    }
    // What the file holds, and one byte more to see a file that grew past the limit.
    QByteArray data(qsizetype(std::min<qint64>(info.st_size, MaxFileBytes) + 1), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, std::size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failure = {GdiStatus::Win32Error, qt_error_string(errno)};
            return {};
        }
        if (n == 0)
            break;
        got += n;
    }
    if (got == 0) {
        failure = {GdiStatus::UnknownImageFormat, tr("The file is empty.")};
        return {};
    }
    data.truncate(got);
    return data;
}

QImage PictureFileChecks::decode(const QByteArray& data, QRgb background, GdiFailure& failure)
{
    if (JpegCodec::looksLikeJpeg(data)) {
        const JpegCodec::Decoded jpeg = JpegCodec::decode(data, MaxSide, MaxPixels);
        switch (jpeg.failure) {
        case JpegCodec::Failure::None:
            return jpeg.image;
        case JpegCodec::Failure::OutOfBounds:
            failure = outOfBounds(jpeg.claimedSize);
            return {};
        default:
            failure = damaged(jpeg.detail);
            return {};
        }
    }

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = BoundedImageReader::formatOf(buffer, decodableFormats());
    if (format.isEmpty()) {
        failure = notAPicture();
        return {};
    }
    const BitmapHeader bitmap = format == "bmp" ? BitmapHeader::parse(data) : BitmapHeader{};
    if (bitmap.valid && !withinBounds(bitmap.size)) {
        failure = outOfBounds(bitmap.size);
        return {};
    }
    if (bitmap.valid && qint64(data.size()) < bitmap.bytesNeeded) {
        failure = damaged(tr("the bitmap is shorter than its header says"));
        return {};
    }
    if (format == "gif" && !gifFirstImageComplete(data)) {
        failure = damaged(tr("the picture data ends early"));
        return {};
    }
    const BoundedImageReader::Result read = BoundedImageReader(MaxSide, MaxPixels).read(buffer, {format});
    switch (read.outcome) {
    case BoundedImageReader::Outcome::Decoded:
        return flattenedOver(read.image, background);
    case BoundedImageReader::Outcome::TooLarge:
        failure = outOfBounds(read.claimedSize);
        break;
    case BoundedImageReader::Outcome::NotAPicture:
        failure = notAPicture();
        break;
    case BoundedImageReader::Outcome::Unreadable:
        failure = {GdiStatus::Win32Error, read.detail};
        break;
    case BoundedImageReader::Outcome::Damaged:
        failure = damaged(read.detail);
        break;
    }
    return {};
}
