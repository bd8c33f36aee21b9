#include "controls/PropertyBag.h"
#include "files/PortraitFiles.h"
#include "files/cGdiPlus.h"
#include "import/ImportCommand.h"
#include "import/ImportHelper.h"
#include "import/frmImport.h"
#include "mainwindow/frmMain.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using TestSupport::patternImage;

namespace {

// The process's peak resident memory, in kB (VmHWM), after resetting it to what is
// resident now when the kernel allows; -1 when it cannot be read.
qint64 peakResidentKb(bool reset)
{
    if (reset) {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    return -1;
}

} // namespace

// Replays the kept regression files (tests/regressions/): inputs that crashed or ran away
// in a decoder, found by the fuzzers or by the mutation tests. The import's are replayed
// through the real Import command and its helper process: the editor must stay up, show
// one error box and keep the portrait. The open path's and the property store's must be
// refused cleanly.
class ContainmentTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cleanupTestCase();
    void importCrashersAreContained_data();
    void importCrashersAreContained();
    void openRegressionsAreRefused_data();
    void openRegressionsAreRefused();
    void propertyBagRegressionsLoadOrRefuse_data();
    void propertyBagRegressionsLoadOrRefuse();

private:
    static void regressions(const char* folder);
    int replayed = 0;
    int helperDied = 0;
};

void ContainmentTest::regressions(const char* folder)
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(PICTORIA_SOURCE_DIR "/tests/regressions/") + QLatin1String(folder));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    if (names.isEmpty())
        QTest::newRow("none kept") << QString();
}

void ContainmentTest::init()
{
    QVERIFY(openWindow());
    window->document().loadPortrait(patternImage(48, 56));
}

void ContainmentTest::cleanup()
{
    window.reset();
}

void ContainmentTest::cleanupTestCase()
{
    qInfo("regression files replayed: %d; the import helper died on %d of them, every time contained",
          replayed, helperDied);
}

void ContainmentTest::importCrashersAreContained_data()
{
    regressions("import");
}

void ContainmentTest::importCrashersAreContained()
{
    QFETCH(QString, path);
    if (path.isEmpty())
        QSKIP("no regression files kept");
    ++replayed;
    // Still hostile? A FreeImage that no longer crashes on it is good news, not a failure.
    const ImportHelper::Run run = ImportHelper::decode(path, {});
    QVERIFY(run.status != ImportHelper::Status::BadAnswer);
    const bool died =
        run.status == ImportHelper::Status::Crashed || run.status == ImportHelper::Status::TimedOut;
    if (died)
        ++helperDied;

    const QImage store = window->document().picPreview().image().copy();
    const QImage backBuffer = window->canvas().picBackBuffer().image().copy();
    dialogs->fileAnswers.enqueue(path);
    bool shown = false;
    auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
        shown = true;
        w.close();
    });
    QElapsedTimer clock;
    clock.start();
    window->ImportBitmap();
    QCoreApplication::processEvents();
    QVERIFY2(clock.elapsed() < TestSupport::HangDeadlineMs, qPrintable(QString::number(clock.elapsed())));

    QVERIFY(window->isVisible());
    QCOMPARE(window->document().picPreview().image(), store);
    QCOMPARE(window->canvas().picBackBuffer().image(), backBuffer);
    if (died) {
        QVERIFY(!shown);
        QCOMPARE(dialogs->messages.size(), 1);
        const ScriptedDialogs::Message& m = dialogs->messages[0];
        QVERIFY2(m.text.startsWith(QLatin1String("Error occured: ")), qPrintable(m.text));
        QVERIFY2(m.text.size() > 30, qPrintable(m.text));
        QVERIFY(m.title.startsWith(QLatin1String("Error Code ")));
        QCOMPARE(m.icon, MessageIcon::Critical);
    }
    // The editor goes on importing.
    dialogs->messages.clear();
    const QString good = TestSupport::tempPath(QStringLiteral("good.bmp"));
    patternImage(64, 64).save(good, "BMP");
    dialogs->fileAnswers.enqueue(good);
    shown = false;
    watch = whenImportWindowShows(*window, [&](frmImport& w) {
        shown = true;
        w.close();
    });
    window->ImportBitmap();
    QVERIFY(shown);
    QVERIFY(dialogs->messages.isEmpty());
}

void ContainmentTest::openRegressionsAreRefused_data()
{
    regressions("open");
}

void ContainmentTest::openRegressionsAreRefused()
{
    QFETCH(QString, path);
    if (path.isEmpty())
        QSKIP("no regression files kept");
    ++replayed;
    // After another picture has been read, as in a session: what a file costs must not
    // depend on what came before.
    const QString before = TestSupport::tempPath(QStringLiteral("before.png"));
    QVERIFY(patternImage(300, 200).save(before));
    dialogs->messageAnswers.enqueue(MessageResult::Cancel); // declines the crop
    window->files().openFile(before);
    QCOMPARE(dialogs->messages.size(), 1);
    dialogs->messages.clear();
    const QImage store = window->document().picPreview().image().copy();
    const QImage backBuffer = window->canvas().picBackBuffer().image().copy();
    dialogs->fileAnswers.enqueue(path);
    dialogs->messageAnswers.enqueue(MessageResult::Cancel);
    QElapsedTimer clock;
    clock.start();
    const qint64 residentBefore = peakResidentKb(true);
    window->OpenPortrait();
    const qint64 residentPeak = peakResidentKb(false);
    QVERIFY2(clock.elapsed() < TestSupport::HangDeadlineMs, qPrintable(QString::number(clock.elapsed())));
    // A few kilobytes of file are not worth a picture's worth of memory: no reader may
    // fill a canvas the file's own data cannot cover.
    QVERIFY2(residentPeak - residentBefore < 64 * 1024,
             qPrintable(QStringLiteral("peak resident memory grew by %1 MB")
                            .arg((residentPeak - residentBefore) / 1024)));
    QVERIFY(window->isVisible());
    QCOMPARE(dialogs->messages.size(), 1);
    QCOMPARE(window->document().picPreview().image(), store);
    QCOMPARE(window->canvas().picBackBuffer().image(), backBuffer);
}

void ContainmentTest::propertyBagRegressionsLoadOrRefuse_data()
{
    regressions("propertybag");
}

void ContainmentTest::propertyBagRegressionsLoadOrRefuse()
{
    QFETCH(QString, path);
    if (path.isEmpty())
        QSKIP("no regression files kept");
    ++replayed;
    // Each of these once crashed the loader or the save that follows it, or asked for
    // gigabytes: now a bag that loads writes itself back, and a refused one is empty.
    PropertyBag bag;
    if (!bag.loadFromFile(path)) {
        QVERIFY(bag.keys().isEmpty());
        return;
    }
    PropertyBag again;
    QVERIFY(again.fromByteArray(bag.toByteArray()));
    QCOMPARE(again.keys(), bag.keys());
}

QTEST_MAIN(ContainmentTest)
#include "tst_containment.moc"
