#include "platform/PlainFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

PlainFile::Kind kindOf(const struct stat& info, qint64 maxBytes)
{
    if (!S_ISREG(info.st_mode))
        return PlainFile::Kind::NotPlain;
    return qint64(info.st_size) > maxBytes ? PlainFile::Kind::TooLarge : PlainFile::Kind::Plain;
}

} // namespace

PlainFile::Kind PlainFile::inspect(const QString& path, qint64 maxBytes)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unreadable;
    return kindOf(info, maxBytes);
}

PlainFile::Contents PlainFile::read(const QString& path, qint64 maxBytes)
{
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unreadable, {}};
    Contents result;
    struct stat info;
    if (::fstat(fd, &info) != 0)
        result.kind = Kind::Unreadable;
    else
        result.kind = kindOf(info, maxBytes);
    if (result.kind == Kind::Plain) {
        QByteArray data(qsizetype(info.st_size) + 1, Qt::Uninitialized);
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, std::size_t(data.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.kind = Kind::Unreadable;
                break;
            }
            if (n == 0)
                break;
            got += n;
            if (got > maxBytes) {
                result.kind = Kind::TooLarge;
                break;
            }
            if (got == data.size())
                data.resize(std::min<qsizetype>(data.size() * 2, qsizetype(maxBytes) + 1));
        }
        if (result.kind == Kind::Plain)
            result.bytes = data.left(got);
    }
    ::close(fd);
    return result;
}

QString PlainFile::refusal(const QString& path, Kind kind)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (kind) {
    case Kind::NotPlain:
        return QCoreApplication::translate("PlainFile", "%1 is not a plain file; it is left alone.")
            .arg(name);
    case Kind::TooLarge:
        return QCoreApplication::translate("PlainFile",
                                           "%1 is larger than such a file can be; it is left alone.")
            .arg(name);
    case Kind::Unreadable:
        return QCoreApplication::translate("PlainFile", "%1 cannot be read; it is left alone.").arg(name);
    case Kind::Missing:
    case Kind::Plain:
        break;
    }
    return {};
}
