#include "files/PortraitRecovery.h"

#include "files/PictureDecoder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>
#include <algorithm>

namespace {

const char* const SourceKey = "Source";
const char* const DataSuffix = ".png";
const char* const LockSuffix = ".lock";

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
    if (!m_lock) {
        if (!QDir().mkpath(m_folder))
            return;
        auto lock = std::make_unique<QLockFile>(m_lockPath);
        lock->setStaleLockTime(0); // only a dead owner makes it stale
        if (!lock->tryLock(0))
            return;
        m_lock = std::move(lock);
    }
    QSaveFile file(m_dataPath);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QImageWriter writer(&file, "png");
    writer.setText(QLatin1String(SourceKey), now.source);
    if (writer.write(now.portrait))
        file.commit();
    else
        file.cancelWriting();
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

bool PortraitRecovery::readCopy(const QString& dataPath, QImage& portrait, QString& source,
                                bool& cancelled) const
{
    const PictureDecoder::Decoded copy =
        m_decoder->decode(PictureSource::file(dataPath), PictureDecoder::Rules::Open);
    cancelled = copy.outcome == PictureDecoder::Outcome::Cancelled;
    if (!copy.ok())
        return false;
    portrait = copy.pixels;
    for (const auto& [key, value] : copy.texts)
        if (key == QLatin1String(SourceKey))
            source = value;
    return true;
}

std::vector<PortraitRecovery::Orphan> PortraitRecovery::orphans() const
{
    std::vector<std::pair<QDateTime, Orphan>> found;
    if (!m_decoder)
        return {};
    const QDir dir(m_folder);
    const QFileInfoList copies =
        dir.entryInfoList({QLatin1String("*") + QLatin1String(DataSuffix)}, QDir::Files);
    for (const QFileInfo& copy : copies) {
        const QString dataPath = copy.absoluteFilePath();
        if (dataPath == QFileInfo(m_dataPath).absoluteFilePath())
            continue;
        // Taking the lock proves its editor gone (a lock of a dead process is stale);
        // holding it keeps another editor starting now from offering the same copy.
        auto lock =
            std::make_shared<QLockFile>(dir.filePath(copy.completeBaseName() + QLatin1String(LockSuffix)));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue; // its editor is still running
        QImage portrait;
        QString source;
        bool cancelled = false;
        const bool read = readCopy(dataPath, portrait, source, cancelled);
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
