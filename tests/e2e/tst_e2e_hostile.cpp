#include "support/HostilePictures.h"
#include "support/TestSupport.h"
#include "support/X11Session.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>

// Pictures built to cost a decoder seconds and gigabytes, given to the real editor the
// two ways a user opens a portrait: Open on the real window, and `pictoria FILE`. Each is
// answered with one message box within a deadline that only catches a hang; the editor's
// own memory stays near what it was (its peak is read from the kernel), and the portrait
// is as it was.
class HostileE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void openOnTheWindow_data();
    void openOnTheWindow();
    void openFromTheCommandLine_data();
    void openFromTheCommandLine();

private:
    void pictures();
    QString write(const QString& name, const QByteArray& bytes) const;
    // The editor's peak resident memory so far, in megabytes.
    static qint64 peakMegabytes(const X11Session& session);
    QImage view(const X11Session& session, const QRect& client) const;
    // Waits for the plain portrait's colour in the view's first cell.
    bool showsPlain(const X11Session& session, const QRect& client) const;

    QTemporaryDir dir;
    X11Session window;
    QString windowId;
    QRect client;
    QString portrait;
    qint64 commandLineBaseline = 0;
};

namespace {

// What a decode may add to the editor's peak, beyond what opening a plain portrait took:
// far below any of these pictures' pixels (400 MB to 1.6 GB).
constexpr qint64 AllowedGrowthMb = 64;
constexpr int Width = 16384;
constexpr int Height = 6103;
const QString Answers = QStringLiteral("Load Portrait|Non-Standard Dimensions");

} // namespace

QString HostileE2E::write(const QString& name, const QByteArray& bytes) const
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

qint64 HostileE2E::peakMegabytes(const X11Session& session)
{
    QFile status(
        QStringLiteral("/proc/%1/status").arg(const_cast<X11Session&>(session).process().processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong() / 1024;
    return -1;
}

QImage HostileE2E::view(const X11Session& session, const QRect& at) const
{
    session.moveTo(at.x() + 620, at.y() + 10); // off the view: no popup
    return session.syncedScreenshot(session.windows(QStringLiteral("Pictoria")).value(0))
        .copy(at.x() + 250, at.y() + 30, 384, 448);
}

bool HostileE2E::showsPlain(const X11Session& session, const QRect& at) const
{
    const QPoint cell = at.topLeft() + QPoint(250 + 4, 30 + 4);
    const QImage shot = session.waitForScreen(
        [&](const QImage& screen) { return (screen.pixel(cell) & 0xFFFFFF) == 0xC87828u; });
    return (shot.pixel(cell) & 0xFFFFFF) == 0xC87828u;
}

void HostileE2E::initTestCase()
{
    QVERIFY(dir.isValid());
    QImage plain(48, 56, QImage::Format_RGB32);
    plain.fill(qRgb(200, 120, 40));
    portrait = dir.filePath(QStringLiteral("plain.png"));
    QVERIFY(plain.save(portrait));

    // `pictoria FILE` on a plain portrait: the peak a harmless open reaches.
    X11Session plainRun;
    QVERIFY(plainRun.start({portrait}));
    const QString plainWindow = plainRun.waitForWindow(QStringLiteral("Pictoria"));
    QVERIFY(!plainWindow.isEmpty());
    QVERIFY2(showsPlain(plainRun, plainRun.geometry(plainWindow)), "the plain portrait did not open");
    commandLineBaseline = peakMegabytes(plainRun);
    QVERIFY(commandLineBaseline > 0);
    plainRun.stop();

    // The window the Open rows use, once through Open with the plain portrait, so that
    // the file dialog's own memory is in the peak before the rows measure it.
    QVERIFY(window.startEditor(&windowId, &client));
    window.clickToolbarButton(client, 2);
    QVERIFY(window.answerFileDialog(QStringLiteral("Load Portrait"), portrait));
    QVERIFY2(showsPlain(window, client), "the plain portrait did not open");
}

void HostileE2E::cleanupTestCase()
{
    window.stop();
}

void HostileE2E::pictures()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("progressive JPEG, 883 scans")
        << "scans.jpg" << HostilePictures::progressiveJpeg(Width, Height);
    QTest::newRow("float TIFF") << "float.tif" << HostilePictures::floatTiff(Width, Height);
    QTest::newRow("1 x 1 GIF on a huge screen")
        << "screen.gif" << HostilePictures::gifOnScreen(Width, Height);
}

void HostileE2E::openOnTheWindow_data()
{
    pictures();
}

void HostileE2E::openOnTheWindow()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = write(name, bytes);
    QVERIFY(!path.isEmpty());
    const QImage before = view(window, client);
    const qint64 peakBefore = peakMegabytes(window);

    window.clickToolbarButton(client, 2);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(window.answerFileDialog(QStringLiteral("Load Portrait"), path));
    const QString box = window.waitForWindow(Answers, TestSupport::HangDeadlineMs);
    QVERIFY2(!box.isEmpty(), qPrintable(QStringLiteral("no answer after %1 ms").arg(clock.elapsed())));
    const qint64 peak = peakMegabytes(window);
    QVERIFY2(peak - peakBefore <= AllowedGrowthMb,
             qPrintable(QStringLiteral("the editor's peak grew from %1 to %2 MB").arg(peakBefore).arg(peak)));

    // Escape dismisses the refusal, and declines the crop of the huge one.
    window.focus(box);
    window.key("Escape");
    QVERIFY(window.waitForWindowGone(box));
    QVERIFY(window.waitForWindow(Answers, 500).isEmpty()); // one box, not a series
    QCOMPARE(view(window, client), before);
}

void HostileE2E::openFromTheCommandLine_data()
{
    pictures();
}

void HostileE2E::openFromTheCommandLine()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = write(name, bytes);
    QVERIFY(!path.isEmpty());
    X11Session run;
    QVERIFY(run.start({path}));
    const QString main = run.waitForWindow(QStringLiteral("Pictoria"));
    QVERIFY(!main.isEmpty());
    const QString box = run.waitForWindow(Answers, TestSupport::HangDeadlineMs);
    QVERIFY(!box.isEmpty());
    const qint64 peak = peakMegabytes(run);
    QVERIFY2(peak - commandLineBaseline <= AllowedGrowthMb,
             qPrintable(QStringLiteral("the editor's peak is %1 MB, %2 MB opening a plain portrait")
                            .arg(peak)
                            .arg(commandLineBaseline)));
    run.focus(box);
    run.key("Escape");
    QVERIFY(run.waitForWindowGone(box));
    // Still the new portrait: every cell black under the grid's gaps.
    const QRect at = run.geometry(main);
    const QImage shown = view(run, at);
    for (const QPoint cell : {QPoint(0, 0), QPoint(24, 28), QPoint(47, 55)})
        QCOMPARE(shown.pixel(cell.x() * 8 + 4, cell.y() * 8 + 4) & 0xFFFFFF, 0u);
    run.stop();
}

QTEST_GUILESS_MAIN(HostileE2E)
#include "tst_e2e_hostile.moc"
