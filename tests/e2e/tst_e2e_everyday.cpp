#include "support/X11Session.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The everyday file and clipboard work in the real window: the title through open,
// change, save and undo; Ctrl+S writing the same file without a dialog and Ctrl+Shift+S
// asking; the recent portraits across a restart; the clipboard both ways with another
// program (xclip) owning it.
class EverydayE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void titleAndSaveInPlace();
    void recentPortraitsSurviveARestart();
    void clipboardBothWays();

private:
    QPoint cellCentre(int x, int y) const
    {
        return client.topLeft() + QPoint(250 + 8 * x + 4, 30 + 8 * y + 4);
    }
    QRgb cellColour(const QImage& shot, int x, int y) const
    {
        return shot.pixel(cellCentre(x, y)) & 0xFFFFFF;
    }
    QImage shot() const
    {
        session.moveTo(client.x() + 620, client.y() + 10); // off the view: no popup
        return session.syncedScreenshot();
    }
    // Starts the editor on the file (none: a new portrait) and waits for its window.
    bool startOn(const QString& file, const QString& title, const QStringList& environment = {});
    bool titleBecomes(const QString& title) const
    {
        return X11Session::waitUntil([&] { return session.windowTitle(id) == title; });
    }
    // A portrait of one colour with cell (1, 1) white.
    QString writePortrait(const QString& name, QRgb colour) const;
    // What xclip reads from the clipboard as the type (null when it cannot).
    static QByteArray clipboard(const QString& type);
    // xclip takes the clipboard with the bytes as the type, and keeps it while it runs.
    bool offer(const QByteArray& bytes, const QString& type);

    QTemporaryDir dir;
    X11Session session;
    QString id;
    QRect client;
    QProcess owner; // xclip, while it owns the clipboard
};

void EverydayE2E::initTestCase()
{
    QVERIFY(dir.isValid());
}

void EverydayE2E::cleanup()
{
    session.stop();
    if (owner.state() != QProcess::NotRunning) {
        owner.kill();
        owner.waitForFinished(5000);
    }
}

bool EverydayE2E::startOn(const QString& file, const QString& title, const QStringList& environment)
{
    if (!session.start(file.isEmpty() ? QStringList() : QStringList{file}, environment))
        return false;
    id = session.waitForWindow(QRegularExpression::escape(title));
    if (id.isEmpty())
        return false;
    client = session.geometry(id);
    session.setWindow(id);
    session.focus(id);
    return session.sync();
}

QString EverydayE2E::writePortrait(const QString& name, QRgb colour) const
{
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(colour);
    portrait.setPixel(1, 1, qRgb(255, 255, 255));
    const QString path = dir.filePath(name);
    return portrait.save(path, name.endsWith(".png") ? "PNG" : "JPEG", 100) ? path : QString();
}

QByteArray EverydayE2E::clipboard(const QString& type)
{
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-t", type, "-o"});
    if (!xclip.waitForFinished(20000) || xclip.exitCode() != 0)
        return {};
    return xclip.readAllStandardOutput();
}

bool EverydayE2E::offer(const QByteArray& bytes, const QString& type)
{
    if (owner.state() != QProcess::NotRunning) {
        owner.kill();
        owner.waitForFinished(5000);
    }
    // -quiet keeps xclip in the foreground, serving the clipboard until someone takes it.
    owner.start("xclip", {"-quiet", "-selection", "clipboard", "-t", type, "-i"});
    if (!owner.waitForStarted(10000))
        return false;
    owner.write(bytes);
    owner.closeWriteChannel();
    // The editor's own copy offers Qt's image too: until that is gone, xclip is not the owner.
    return X11Session::waitUntil([&] {
        const QByteArray targets = clipboard("TARGETS");
        return targets.contains(type.toLatin1()) && !targets.contains("application/x-qt-image");
    });
}

void EverydayE2E::titleAndSaveInPlace()
{
    const QString file = writePortrait("face.jpg", qRgb(0, 0, 120));
    QVERIFY(!file.isEmpty());
    const QByteArray original = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY2(startOn(file, "face.jpg - Pictoria"), "the title does not name the opened file");

    // A change marks it; undoing back to the saved state unmarks it.
    QPoint p = cellCentre(10, 10);
    session.click(p.x(), p.y());
    QVERIFY2(titleBecomes("face.jpg* - Pictoria"), qPrintable(session.windowTitle(id)));
    session.key("ctrl+z");
    QVERIFY2(titleBecomes("face.jpg - Pictoria"), qPrintable(session.windowTitle(id)));

    // Ctrl+S writes the same file, no dialog, and the mark goes.
    p = cellCentre(20, 30);
    session.click(p.x(), p.y());
    QVERIFY(titleBecomes("face.jpg* - Pictoria"));
    session.key("ctrl+s");
    QVERIFY2(titleBecomes("face.jpg - Pictoria"), qPrintable(session.windowTitle(id)));
    QVERIFY(session.sync());
    QVERIFY(session.windows("Save Portrait").isEmpty());
    QImage saved;
    QVERIFY(X11Session::waitUntil([&] { return saved.load(file) && saved.size() == QSize(48, 56); }));
    QVERIFY(qRed(saved.pixel(20, 30)) > 240 && qBlue(saved.pixel(25, 30)) > 100);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll() != original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"face.jpg"}); // no stray copies

    // Ctrl+Shift+S always asks.
    session.key("ctrl+shift+s");
    const QString dialog = session.waitForWindow("Save Portrait");
    QVERIFY2(!dialog.isEmpty(), "Ctrl+Shift+S did not ask for a name");
    session.focus(dialog);
    session.key("Escape");
    QVERIFY(session.waitForWindowGone(dialog));
    QCOMPARE(session.windowTitle(id), QStringLiteral("face.jpg - Pictoria"));
}

void EverydayE2E::recentPortraitsSurviveARestart()
{
    // The settings are on here, in a folder that outlives the first run.
    const QString config = dir.filePath("config");
    const QStringList environment{"PICTORIA_NO_SETTINGS=0", "XDG_CONFIG_HOME=" + config};
    const QString first = writePortrait("first.png", qRgb(200, 0, 0));
    const QString second = writePortrait("second.png", qRgb(0, 160, 0));
    QVERIFY(startOn(first, "first.png - Pictoria", environment));
    QVERIFY(session.sendDeleteWindow(id));
    QVERIFY(session.waitForExit());
    QVERIFY(startOn(second, "second.png - Pictoria", environment));
    QVERIFY(session.sendDeleteWindow(id));
    QVERIFY(session.waitForExit());

    QVERIFY(startOn({}, "Pictoria", environment));
    // The Open button's list (a right click shows it): newest first.
    session.click(client.x() + 23 + 11, client.y() + 11, 3);
    QVERIFY(session.sync());
    session.key("2");
    QVERIFY2(titleBecomes("first.png - Pictoria"), qPrintable(session.windowTitle(id)));
    QImage s = shot();
    QCOMPARE(cellColour(s, 5, 5), qRgb(200, 0, 0) & 0xFFFFFF);
    session.click(client.x() + 23 + 11, client.y() + 11, 3);
    QVERIFY(session.sync());
    session.key("2"); // first.png moved to the top: the second entry is second.png now
    QVERIFY2(titleBecomes("second.png - Pictoria"), qPrintable(session.windowTitle(id)));
    s = shot();
    QCOMPARE(cellColour(s, 5, 5), qRgb(0, 160, 0) & 0xFFFFFF);
}

void EverydayE2E::clipboardBothWays()
{
    if (QStandardPaths::findExecutable("xclip").isEmpty())
        QSKIP("xclip is not installed (scripts/setup.sh installs it)");
    const QString file = writePortrait("copied.png", qRgb(30, 60, 90));
    QVERIFY(startOn(file, "copied.png - Pictoria"));

    // Ctrl+C: another program reads a PNG of the portrait, and Qt's image is offered too.
    session.key("ctrl+c");
    QVERIFY(X11Session::waitUntil([] { return clipboard("TARGETS").contains("image/png"); }));
    QVERIFY(clipboard("TARGETS").contains("application/x-qt-image"));
    const QImage copied = QImage::fromData(clipboard("image/png"), "PNG");
    QCOMPARE(copied.size(), QSize(48, 56));
    QCOMPARE(copied.pixel(1, 1) & 0xFFFFFF, qRgb(255, 255, 255) & 0xFFFFFF);
    QCOMPARE(copied.pixel(9, 9) & 0xFFFFFF, qRgb(30, 60, 90) & 0xFFFFFF);

    // Ctrl+V with a portrait-sized picture from xclip: it replaces the portrait, one undo step.
    QImage pasted(48, 56, QImage::Format_RGB32);
    pasted.fill(qRgb(250, 200, 0));
    pasted.setPixel(40, 50, qRgb(0, 0, 255));
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(pasted.save(&buffer, "PNG"));
    }
    QVERIFY(offer(png, "image/png"));
    session.focus(id);
    session.key("ctrl+v");
    QImage s = session.waitForScreen(
        [&](const QImage& shot) { return cellColour(shot, 40, 50) == (qRgb(0, 0, 255) & 0xFFFFFF); });
    QCOMPARE(cellColour(s, 40, 50), qRgb(0, 0, 255) & 0xFFFFFF);
    QCOMPARE(cellColour(s, 1, 1), qRgb(250, 200, 0) & 0xFFFFFF);
    QVERIFY(titleBecomes("copied.png* - Pictoria"));
    session.key("ctrl+z");
    QVERIFY(titleBecomes("copied.png - Pictoria"));
    s = shot();
    QCOMPARE(cellColour(s, 1, 1), qRgb(255, 255, 255) & 0xFFFFFF);

    // Any other size goes to the import window.
    QImage wide(100, 80, QImage::Format_RGB32);
    wide.fill(qRgb(0, 200, 0));
    png.clear();
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(wide.save(&buffer, "PNG"));
    }
    QVERIFY(offer(png, "image/png"));
    session.focus(id);
    session.key("ctrl+v");
    const QString picker = session.waitForWindow("Import Picture");
    QVERIFY2(!picker.isEmpty(), "a larger pasted picture did not open the import window");
    session.focus(picker);
    session.key("Escape");
    QVERIFY(session.waitForWindowGone(picker));

    // A copied file name imports that file.
    const QString named = writePortrait("named.png", qRgb(90, 0, 90));
    QVERIFY(offer(named.toUtf8(), "UTF8_STRING"));
    session.focus(id);
    session.key("ctrl+v");
    s = session.waitForScreen(
        [&](const QImage& shot) { return cellColour(shot, 9, 9) == (qRgb(90, 0, 90) & 0xFFFFFF); });
    QCOMPARE(cellColour(s, 9, 9), qRgb(90, 0, 90) & 0xFFFFFF);
}

QTEST_GUILESS_MAIN(EverydayE2E)
#include "tst_e2e_everyday.moc"
