#pragma once

#include <QImage>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class PictureDecoder;

// A copy of the unsaved portrait in the user's state folder, so that a crash loses at
// most the last moment of work. Each running editor has its own copy, named after a
// lock file that carries its process id; a copy whose lock names no editor of this user
// still running on this host belongs to an editor that died (or to no editor at all),
// and is offered again at the next start. Only plain files of a copy's size are read.
class PortraitRecovery : public QObject {
    Q_OBJECT
public:
    // What is kept: the portrait, the file it came from, and whether it has unsaved changes.
    struct Snapshot {
        QImage portrait;
        QString source;
        bool modified = false;
    };
    // The copy left by an editor that is no longer running; its lock is held while
    // the copy is being offered.
    struct Orphan {
        QImage portrait;
        QString source;
        QString dataPath;
        std::shared_ptr<QLockFile> lock;
    };

    static constexpr int DelayMs = 500;
    static QString defaultFolder();

    explicit PortraitRecovery(std::function<Snapshot()> snapshot, QString folder = defaultFolder(),
                              QObject* parent = nullptr);
    ~PortraitRecovery() override;

    // The portrait changed: the copy follows within DelayMs.
    void noteChange();
    // Writes (or, when nothing is unsaved, removes) the copy now.
    void writeNow();
    // A normal end: the copy and the lock go.
    void finish();

    // Who reads the copies back: they lie in the user's folder, so they are decoded as
    // any picture a user names is. Without one no copy is offered (and none is removed).
    void setDecoder(PictureDecoder* decoder) { m_decoder = decoder; }

    // Copies of editors that died, newest first. A copy that cannot be read is removed;
    // one whose reading the user stopped stays for the next start.
    std::vector<Orphan> orphans() const;
    // The orphan's files go (after it was restored or declined).
    static void remove(Orphan& orphan);

    // Whether a lock's contents name an editor of this user that is still running on this
    // host.
    static bool ownerRunning(const QByteArray& lock);

    static constexpr qint64 MaxCopyBytes = 1 << 20;

    QString dataPath() const { return m_dataPath; }
    const QString& folder() const { return m_folder; }

signals:
    // A copy could not be written, after the last one could (or none was tried): said
    // once, not again until a copy was written. Why is short, for a status bar; the
    // copies' folder is folder().
    void copyFailed(const QString& why);

private:
    // False with the reason when the copy cannot be written.
    bool writeCopy(const Snapshot& now, QString& why);

    // The copy's pixels and the file it came from, decoded from its bytes; false when they
    // are not a copy, and nothing decided when the reading was stopped (cancelled).
    bool readCopy(const QByteArray& bytes, QImage& portrait, QString& source, bool& cancelled) const;

    PictureDecoder* m_decoder = nullptr;
    std::function<Snapshot()> m_snapshot;
    QString m_folder;
    QString m_dataPath;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_timer;
    bool m_failing = false; // the last copy could not be written
};
