#include "files/PortraitFiles.h"
#include "import/ImportCommand.h"
#include "import/SandboxedDecoder.h"
#include "import/frmImport.h"
#include "mainwindow/frmMain.h"
#include "platform/BusyWait.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <QtTest>

using TestSupport::tempPath;

// A decode that takes its time, on the real window: the window goes on painting and
// answering, shows that it is busy, takes no second command meanwhile, and Escape or
// closing the window stops the decode with nothing changed. The helper here never
// answers at all.
class DecodeWaitTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void slowDecodeKeepsTheWindowAnswering_data();
    void slowDecodeKeepsTheWindowAnswering();
    void closingTheWindowStopsTheDecode();

private:
    void runCommand(const QString& command, const QString& path);

    QString picture;
};

namespace {

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void DecodeWaitTest::init()
{
    QVERIFY(openWindow());
    const QString helper = tempPath(QStringLiteral("never-answers.sh"));
    QFile script(helper);
    QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\nexec sleep 600\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    for (ImportHelper::Settings* settings :
         {&window->decoder().settings(), &window->importCommand().loader().settings()}) {
        settings->program = helper;
        settings->timeoutMs = TestSupport::HangDeadlineMs * 2; // only Escape or closing ends it
    }
    picture = tempPath(QStringLiteral("slow.png"));
    QVERIFY(TestSupport::patternImage(48, 56).save(picture));
}

void DecodeWaitTest::cleanup()
{
    window.reset();
}

void DecodeWaitTest::runCommand(const QString& command, const QString& path)
{
    if (command == QLatin1String("Open"))
        window->files().openFile(path);
    else
        window->importCommand().importFile(path);
}

void DecodeWaitTest::slowDecodeKeepsTheWindowAnswering_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Open") << "Open";
    QTest::newRow("Import") << "Import";
}

void DecodeWaitTest::slowDecodeKeepsTheWindowAnswering()
{
    QFETCH(QString, command);
    const QImage before = window->document().picPreview().image().copy();
    const QString statusBefore = window->stbMain()->panelText(1);
    PaintCounter counter;
    window->installEventFilter(&counter);

    bool shown = false, busyPointer = false, painted = false, heldBack = false;
    QString busyText;
    connect(&window->busyWait(), &BusyWait::shown, this, [&] {
        shown = true;
        busyText = window->stbMain()->panelText(1);
        busyPointer =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
        const int paintsBefore = counter.paints;
        window->update();
        QTimer::singleShot(200, this, [&, paintsBefore] {
            painted = counter.paints > paintsBefore;
            // Open's shortcut and a click on the toolbar start nothing while the decode runs.
            QTest::keyClick(window->picFaceBox(), Qt::Key_O, Qt::ControlModifier);
            if (QWidget* openButton = window->childAt(23 + 11, 11))
                QTest::mouseClick(openButton, Qt::LeftButton);
            heldBack = dialogs->fileRequests.isEmpty() && window->busyWait().isBusy();
            QTest::keyClick(window->picFaceBox(), Qt::Key_Escape);
        });
    });
    QElapsedTimer clock;
    clock.start();
    runCommand(command, picture);

    QVERIFY2(clock.elapsed() < TestSupport::HangDeadlineMs, "Escape did not stop the decode");
    QVERIFY(shown);
    QVERIFY2(busyText.contains(QStringLiteral("slow.png")), qPrintable(busyText));
    QVERIFY(busyPointer);
    QVERIFY(painted);
    QVERIFY(heldBack);
    // Stopped, nothing changed: no box, the portrait, the status and the pointer as before.
    QVERIFY(!window->busyWait().isBusy());
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(window->document().picPreview().image(), before);
    QVERIFY(!window->document().isModified());
    QCOMPARE(window->stbMain()->panelText(1), statusBefore);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!window->importCommand().window() || !window->importCommand().window()->isVisible());
}

void DecodeWaitTest::closingTheWindowStopsTheDecode()
{
    const QImage before = window->document().picPreview().image().copy();
    connect(&window->busyWait(), &BusyWait::shown, this, [&] { window->close(); });
    QElapsedTimer clock;
    clock.start();
    window->files().openFile(picture);
    QVERIFY2(clock.elapsed() < TestSupport::HangDeadlineMs, "closing did not stop the decode");
    QVERIFY(!window->isVisible());
    QVERIFY(!window->busyWait().isBusy());
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(window->document().picPreview().image(), before);
}

QTEST_MAIN(DecodeWaitTest)
#include "tst_decodewait.moc"
