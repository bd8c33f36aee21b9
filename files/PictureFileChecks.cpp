#include "files/PictureFileChecks.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when the check returns, whichever way.
struct ClosedOnExit {
    int fd;
    ~ClosedOnExit() { ::close(fd); }
};

using Checks = PictureFileChecks;

Status notAPicture()
{
    return {
        GdiStatus::UnknownImageFormat,
        QCoreApplication::translate("cGdiPlus", "The file is not a picture in a format this program reads.")};
}

Status damaged(const QString& why)
{
    return {GdiStatus::GenericError,
            QCoreApplication::translate("cGdiPlus", "The file is damaged or incomplete (%1).").arg(why)};
}

Status outOfBounds(QSize size)
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

Status PictureFileChecks::checkFile(const QString& fileName)
{
    const auto noFile = [&] {
        return Status(GdiStatus::FileNotFound,
                      tr("There is no file %1.").arg(QDir::toNativeSeparators(fileName)));
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
        return {error == EACCES || error == EPERM ? GdiStatus::AccessDenied : GdiStatus::Win32Error,
                qt_error_string(error)};
    }
    const ClosedOnExit closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return {GdiStatus::Win32Error, qt_error_string(errno)};
    if (S_ISDIR(info.st_mode))
        return noFile();
    // A pipe or device would block the reader or never end.
    if (!S_ISREG(info.st_mode))
        return {GdiStatus::UnknownImageFormat, tr("This is not a plain file.")};
    if (info.st_size > MaxFileBytes)
        return {GdiStatus::ValueOverflow, tr("The file holds %1 MB; at most %2 MB are opened.")
                                              .arg(qint64(info.st_size) / (1024 * 1024))
                                              .arg(MaxFileBytes / (1024 * 1024))};
    if (info.st_size == 0)
        return {GdiStatus::UnknownImageFormat, tr("The file is empty.")};
    return {};
}

Status PictureFileChecks::statusOf(const PictureDecoder::Decoded& decoded)
{
    using Outcome = PictureDecoder::Outcome;
    switch (decoded.outcome) {
    case Outcome::Decoded:
        return {};
    case Outcome::NotAPicture:
        return notAPicture();
    case Outcome::TooLarge:
        return outOfBounds(decoded.size);
    case Outcome::Damaged:
        // The decoder's reasons are this program's words where it has its own for them.
        return damaged(QCoreApplication::translate("cGdiPlus", decoded.detail.toUtf8().constData()));
    case Outcome::Unreadable:
        return {GdiStatus::Win32Error, decoded.detail};
    case Outcome::OutOfMemory:
        return {GdiStatus::OutOfMemory,
                tr("The picture does not fit in the decoder's memory (%1).").arg(decoded.detail)};
    case Outcome::Failed:
        return {GdiStatus::GenericError, decoded.detail};
    case Outcome::Cancelled:
        return {GdiStatus::Aborted, tr("Reading the picture was cancelled.")};
    }
    return {GdiStatus::GenericError, decoded.detail};
}
