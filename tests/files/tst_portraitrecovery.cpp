#include "files/PortraitRecovery.h"
#include "import/SandboxedDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

// The copies a run leaves behind, found at the next start: a copy is offered when its
// lock names no editor of this user still running on this host, whatever else the lock
// holds, and a file that is no copy is left alone.
class PortraitRecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void copiesOfGoneEditorsAreOffered_data();
    void copiesOfGoneEditorsAreOffered();
};

namespace {

QByteArray lockNaming(qint64 pid, const QByteArray& host, const QByteArray& machine)
{
    return QByteArray::number(pid) + '\n' + "pictoria\n" + host + '\n' + machine + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

} // namespace

void PortraitRecoveryTest::copiesOfGoneEditorsAreOffered_data()
{
    QTest::addColumn<QString>("lock");     // "none", "held" (by a running editor), or the bytes in it
    QTest::addColumn<qint64>("copyBytes"); // how large the copy is made; 0: a real copy
    QTest::addColumn<bool>("offered");

    const qint64 here = QCoreApplication::applicationPid();
    QTest::newRow("an empty lock") << "" << qint64(0) << true;
    QTest::newRow("a damaged lock") << "\x01\x02 not a lock \xff" << qint64(0) << true;
    QTest::newRow("a lock naming another host")
        << QString::fromLatin1(lockNaming(here, "elsewhere", "0123456789abcdef0123456789abcdef")) << qint64(0)
        << true;
    QTest::newRow("a lock held by a running editor") << "held" << qint64(0) << false;
    QTest::newRow("a copy larger than any portrait") << "none" << qint64(8 << 20) << false;
}

void PortraitRecoveryTest::copiesOfGoneEditorsAreOffered()
{
    QFETCH(QString, lock);
    QFETCH(qint64, copyBytes);
    QFETCH(bool, offered);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath("4242-0123456789ab.png");
    const QString lockPath = folder.filePath("4242-0123456789ab.lock");
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(qRgb(30, 60, 90));
    QFile file(copy);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (copyBytes > 0) {
        QVERIFY(file.resize(copyBytes));
    } else {
        QImageWriter writer(&file, "png");
        writer.setText("Source", "/home/someone/face.jpg");
        QVERIFY(writer.write(portrait));
    }
    file.close();
    QLockFile running(lockPath);
    if (lock == "held") {
        QVERIFY(running.tryLock(0));
    } else if (lock != "none") {
        QFile l(lockPath);
        QVERIFY(l.open(QIODevice::WriteOnly));
        l.write(lock.toLatin1());
    }

    PortraitRecovery recovery([] { return PortraitRecovery::Snapshot{}; }, folder.path());
    SandboxedDecoder decoder;
    recovery.setDecoder(&decoder);
    std::vector<PortraitRecovery::Orphan> found = recovery.orphans();
    QCOMPARE(found.size(), std::size_t(offered ? 1 : 0));
    if (offered) {
        QCOMPARE(found[0].portrait.convertToFormat(QImage::Format_RGB32), portrait);
        QCOMPARE(found[0].source, QStringLiteral("/home/someone/face.jpg"));
        PortraitRecovery::remove(found[0]);
        QVERIFY(!QFile::exists(copy));
    } else {
        QVERIFY2(QFile::exists(copy), "a copy not offered stays");
    }
}

QTEST_GUILESS_MAIN(PortraitRecoveryTest)
#include "tst_portraitrecovery.moc"
