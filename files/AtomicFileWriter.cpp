#include "files/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int failureStatus(const QString& fileName)
{
    const QFileInfo target(fileName);
    const QFileInfo folder(target.absolutePath());
    if (!folder.exists() || !folder.isDir())
        return GdiStatus::FileNotFound;
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return GdiStatus::AccessDenied;
    return GdiStatus::Win32Error;
}

// The file a chain of symbolic links ends at, existing or not; the name itself otherwise.
QString finalTarget(const QString& fileName)
{
    QFileInfo info(fileName);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? fileName : info.filePath();
}

// A file system that cannot sync at all says so with these; nothing was lost.
bool syncUnsupported(int error)
{
    return error == EINVAL || error == ENOTSUP || error == EOPNOTSUPP;
}

bool syncData(int fd)
{
    int result;
    do
        result = ::fdatasync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0 || syncUnsupported(errno);
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// A new file beside the target that no one else has, made as the target would be made
// (the umask applies).
int createBeside(const QByteArray& target, QByteArray& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".new";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

Status AtomicFileWriter::write(const QString& fileName, const QByteArray& bytes)
{
    const QString targetName = finalTarget(fileName);
    const QByteArray target = QFile::encodeName(targetName);
    const auto failed = [&](const QString& why) { return Status(failureStatus(targetName), why); };
    const auto systemSays = [&] { return failed(qt_error_string(errno)); };

    struct stat existing;
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return failed(tr("%1 is a folder.").arg(QDir::toNativeSeparators(targetName)));
    // A pipe or device is not replaced by a picture file.
    if (exists && !S_ISREG(existing.st_mode))
        return failed(tr("%1 is not a plain file.").arg(QDir::toNativeSeparators(targetName)));
    if (exists && ::access(target.constData(), W_OK) != 0)
        return failed(tr("The existing file %1 is not writable.").arg(QDir::toNativeSeparators(targetName)));

    QByteArray temporary;
    const int fd = createBeside(target, temporary);
    if (fd < 0)
        return systemSays();
    const auto discard = [&](const QString& why) {
        ::close(fd);
        ::unlink(temporary.constData());
        return failed(why);
    };
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return discard(qt_error_string(errno));
    if (!writeAll(fd, bytes))
        return discard(qt_error_string(errno));
    // The data must be on the disk before the name points at it: a failed sync is a
    // failed save, and the old file stays.
    if (!syncData(fd))
        return discard(tr("The data could not be synced to the disk (%1).").arg(qt_error_string(errno)));
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failed(qt_error_string(error));
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failed(qt_error_string(error));
    }

    // The rename itself lasts once the folder is synced.
    const QByteArray folder = QFile::encodeName(QFileInfo(targetName).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return {};
    int result;
    do
        result = ::fsync(dir);
    while (result != 0 && errno == EINTR);
    const int error = errno;
    ::close(dir);
    if (result != 0 && !syncUnsupported(error))
        return failed(tr("The file was written, but its folder could not be synced to the disk (%1).")
                          .arg(qt_error_string(error)));
    return {};
}
