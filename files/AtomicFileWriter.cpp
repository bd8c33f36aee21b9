#include "files/AtomicFileWriter.h"

#include <QFileInfo>
#include <QSaveFile>

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

} // namespace

GdiFailure AtomicFileWriter::write(const QString& fileName, const QByteArray& bytes)
{
    // Unbuffered, because Qt 6.4's QSaveFile loses a write error raised while flushing
    // its buffer and commits an empty file (seen on a full disk): every write must fail
    // where it happens.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {failureStatus(fileName), file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return {failureStatus(fileName), why};
    }
    if (!file.commit())
        return {failureStatus(fileName), file.errorString()};
    return {};
}
