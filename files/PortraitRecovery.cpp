#include "files/PortraitRecovery.h"

#include "files/AtomicFileWriter.h"
#include "files/PictureDecoder.h"
#include "platform/PlainFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUuid>
#include <algorithm>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const SourceKey = "Source";
const char* const DataSuffix = ".png";
const char* const LockSuffix = ".lock";
// A lock holds a process id, a program name, a host name and two ids: a few hundred bytes.
constexpr qint64 MaxLockBytes = 4096;

// Makes the folder's new entries (the lock just taken) last through a crash.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The lock of a copy whose editor has gone, taken by this editor; null while the editor
// that holds it runs, and when the lock is not a plain file (reading a pipe would hang).
std::shared_ptr<QLockFile> takeOrphanLock(const QString& path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return nullptr;
    auto lock = std::make_shared<QLockFile>(path);
    lock->setStaleLockTime(0); // staleness is judged from what the lock says, not its age
    if (lock->tryLock(0))
        return lock;
    if (lock->error() != QLockFile::LockFailedError)
        return nullptr;
    // Qt takes over only the lock of a dead process named on this host. An empty or
    // damaged lock, or one naming another host, belongs to no editor running here: it is
    // taken too, unless a running editor still holds the file (then its removal fails).
    const PlainFile::Contents held = PlainFile::read(path, MaxLockBytes);
    if (held.kind != PlainFile::Kind::Plain || PortraitRecovery::ownerRunning(held.bytes))
        return nullptr;
    if (!lock->removeStaleLockFile() || !lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace

QString PortraitRecovery::defaultFolder()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericStateLocation);
#else
    // Qt before 6.7 names no state folder; the data folder stands in.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    return base + QStringLiteral("/pictoria/recovery");
}

PortraitRecovery::PortraitRecovery(std::function<Snapshot()> snapshot, QString folder, QObject* parent)
    : QObject(parent), m_snapshot(std::move(snapshot)), m_folder(std::move(folder))
{
    const QString id = QStringLiteral("%1-%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QUuid::createUuid().toString(QUuid::Id128).left(12));
    m_dataPath = m_folder + u'/' + id + QLatin1String(DataSuffix);
    m_lockPath = m_folder + u'/' + id + QLatin1String(LockSuffix);
    m_timer.setSingleShot(true);
    m_timer.setInterval(DelayMs);
    connect(&m_timer, &QTimer::timeout, this, &PortraitRecovery::writeNow);
}

PortraitRecovery::~PortraitRecovery()
{
    // Not a normal end (that is finish()): a copy still there is kept, and its lock
    // released, so the next start offers it.
    m_timer.stop();
    if (m_lock)
        m_lock->unlock();
}

void PortraitRecovery::noteChange()
{
    // Not restarted by later changes: a long stroke is still copied every DelayMs.
    if (!m_timer.isActive())
        m_timer.start();
}

void PortraitRecovery::writeNow()
{
    m_timer.stop();
    const Snapshot now = m_snapshot();
    if (!now.modified) {
        QFile::remove(m_dataPath);
        return;
    }
    QString why;
    if (writeCopy(now, why)) {
        m_failing = false;
        return;
    }
    // A crash would now lose the work: the user hears of it once.
    if (!m_failing) {
        m_failing = true;
        emit copyFailed(why);
    }
}

bool PortraitRecovery::writeCopy(const Snapshot& now, QString& why)
{
    if (!m_lock) {
        if (!QDir().mkpath(m_folder)) {
            why = tr("its folder cannot be made");
            return false;
        }
        auto lock = std::make_unique<QLockFile>(m_lockPath);
        lock->setStaleLockTime(0); // only a dead owner makes it stale
        if (!lock->tryLock(0)) {
            why = lock->error() == QLockFile::PermissionError
                      ? tr("there is no permission to write in its folder")
                      : tr("its lock file cannot be written");
            return false;
        }
        syncFolder(m_folder);
        m_lock = std::move(lock);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setText(QLatin1String(SourceKey), now.source);
    if (!writer.write(now.portrait)) {
        why = writer.errorString();
        return false;
    }
    const Status written = AtomicFileWriter::write(m_dataPath, bytes);
    why = written.message();
    return written.ok();
}

void PortraitRecovery::finish()
{
    m_timer.stop();
    QFile::remove(m_dataPath);
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool PortraitRecovery::readCopy(const QByteArray& bytes, QImage& portrait, QString& source,
                                bool& cancelled) const
{
    const PictureDecoder::Decoded copy =
        m_decoder->decode(PictureSource::data(bytes), PictureDecoder::Rules::Open);
    cancelled = copy.outcome == PictureDecoder::Outcome::Cancelled;
    if (!copy.ok())
        return false;
    portrait = copy.pixels;
    for (const auto& [key, value] : copy.texts)
        if (key == QLatin1String(SourceKey))
            source = value;
    return true;
}

bool PortraitRecovery::ownerRunning(const QByteArray& lock)
{
    // As QLockFile writes it: process id, program name, host name, machine id, boot id.
    const QList<QByteArray> lines = lock.split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    const QByteArray machine = lines.value(3), boot = lines.value(4);
    const bool sameHost = !machine.isEmpty() && !QSysInfo::machineUniqueId().isEmpty()
                              ? machine == QSysInfo::machineUniqueId()
                              : lines.value(2) == QSysInfo::machineHostName().toUtf8();
    if (!sameHost || (!boot.isEmpty() && boot != QSysInfo::bootUniqueId()))
        return false;
    // Running, as this user, and the program the lock names (not a process that took over
    // a dead editor's id).
    const QByteArray proc = "/proc/" + QByteArray::number(pid);
    struct stat info;
    if (::stat(proc.constData(), &info) != 0 || info.st_uid != ::getuid())
        return false;
    const QString program = QString::fromUtf8(lines.value(1));
    if (program.isEmpty())
        return true;
    QString running = QFile::symLinkTarget(QString::fromLatin1(proc + "/exe"));
    running.remove(QRegularExpression(QStringLiteral(" \\(deleted\\)$")));
    return running.isEmpty() || QFileInfo(running).fileName() == program;
}

std::vector<PortraitRecovery::Orphan> PortraitRecovery::orphans() const
{
    std::vector<std::pair<QDateTime, Orphan>> found;
    if (!m_decoder)
        return {};
    const QDir dir(m_folder);
    // System entries too (pipes, sockets, devices), so that they are seen and passed by.
    const QFileInfoList copies =
        dir.entryInfoList({QLatin1String("*") + QLatin1String(DataSuffix)}, QDir::Files | QDir::System);
    for (const QFileInfo& copy : copies) {
        const QString dataPath = copy.absoluteFilePath();
        if (dataPath == QFileInfo(m_dataPath).absoluteFilePath())
            continue;
        // A copy is only ever a plain file of a portrait's size: anything else is not one
        // of this program's, and is left alone.
        if (PlainFile::inspect(dataPath, MaxCopyBytes) != PlainFile::Kind::Plain)
            continue;
        // Taking the lock proves its editor gone; holding it keeps another editor
        // starting now from offering the same copy.
        auto lock = takeOrphanLock(dir.filePath(copy.completeBaseName() + QLatin1String(LockSuffix)));
        if (!lock)
            continue; // its editor is still running
        const PlainFile::Contents bytes = PlainFile::read(dataPath, MaxCopyBytes);
        if (bytes.kind != PlainFile::Kind::Plain)
            continue; // replaced meanwhile by something that is not a copy
        QImage portrait;
        QString source;
        bool cancelled = false;
        const bool read = readCopy(bytes.bytes, portrait, source, cancelled);
        Orphan orphan{portrait, source, dataPath, lock};
        if (cancelled)
            continue; // offered again at the next start
        if (!read) {
            remove(orphan); // nothing left worth offering
            continue;
        }
        found.emplace_back(copy.lastModified(), std::move(orphan));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Orphan> result;
    for (auto& f : found)
        result.push_back(std::move(f.second));
    return result;
}

void PortraitRecovery::remove(Orphan& orphan)
{
    QFile::remove(orphan.dataPath);
    if (orphan.lock)
        orphan.lock->unlock();
    orphan.lock.reset();
}
