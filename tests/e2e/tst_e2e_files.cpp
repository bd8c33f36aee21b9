#include "support/X11Session.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Save, New and Open in the real window through Qt's own file dialogs: the saved
// file is read back by libjpeg's djpeg, the view on screenshots.
class FilesE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void saveNewAndReopen();
    void otherSizeAsksBeforeCropping();
    void failedSaveSaysSo();
    void saveThatCannotSyncLeavesTheOldFile();
    void messageShowsTheNameAsItIs_data();
    void messageShowsTheNameAsItIs();

private:
    QPoint cellCentre(int x, int y) const
    {
        return client.topLeft() + QPoint(250 + 8 * x + 4, 30 + 8 * y + 4);
    }
    QRgb cellColour(const QImage& shot, int x, int y) const
    {
        return shot.pixel(cellCentre(x, y)) & 0xFFFFFF;
    }
    // Toolbar buttons 1 to 3 are New, Open and Save, 23 pixels each from x = 0.
    void clickToolbar(int n) const { session.clickToolbarButton(client, n); }
    QImage shot() const
    {
        session.moveTo(client.x() + 620, client.y() + 10); // off the view: no popup
        return session.syncedScreenshot();
    }

    QTemporaryDir dir;
    X11Session session;
    QString id;
    QRect client;
};

namespace {

bool close(QRgb a, QRgb b, int tolerance = 6)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString describe(QRgb c)
{
    return QStringLiteral("RGB(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

} // namespace

void FilesE2E::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(session.startEditor(&id, &client));
}

void FilesE2E::cleanupTestCase()
{
    session.stop();
}

void FilesE2E::saveNewAndReopen()
{
    // Brush (the start tool) with the white foreground.
    for (const QPoint cell : {QPoint(2, 3), QPoint(10, 20), QPoint(47, 55)}) {
        const QPoint p = cellCentre(cell.x(), cell.y());
        session.click(p.x(), p.y(), 1);
    }
    QImage s = shot();
    QCOMPARE(cellColour(s, 2, 3), qRgb(255, 255, 255) & 0xFFFFFF);

    const QString file = dir.filePath(QStringLiteral("e2e-portrait.jpg"));
    clickToolbar(3);
    QVERIFY2(session.answerFileDialog("Save Portrait", file), "the save dialog did not take the name");
    QVERIFY(X11Session::waitUntil([&] { return QFileInfo::exists(file); }));

    // An independent decoder reads the file.
    if (QStandardPaths::findExecutable("djpeg").isEmpty())
        QSKIP("djpeg (libjpeg-turbo-progs) is not installed");
    QProcess djpeg;
    djpeg.start("djpeg", {"-pnm", file});
    QVERIFY(djpeg.waitForFinished(20000));
    QCOMPARE(djpeg.exitCode(), 0);
    const QImage decoded = QImage::fromData(djpeg.readAllStandardOutput(), "PPM");
    QCOMPARE(decoded.size(), QSize(48, 56));
    for (const QPoint white : {QPoint(2, 3), QPoint(10, 20), QPoint(47, 55)})
        QVERIFY2(close(decoded.pixel(white), qRgb(255, 255, 255)),
                 qPrintable(describe(decoded.pixel(white))));
    for (const QPoint black : {QPoint(0, 0), QPoint(3, 3), QPoint(30, 40)})
        QVERIFY2(close(decoded.pixel(black), qRgb(0, 0, 0)), qPrintable(describe(decoded.pixel(black))));

    clickToolbar(1); // New: black, the background colour
    s = shot();
    QCOMPARE(cellColour(s, 2, 3), QRgb(0));
    QCOMPARE(cellColour(s, 47, 55), QRgb(0));

    clickToolbar(2);
    QVERIFY2(session.answerFileDialog("Load Portrait", file), "the open dialog did not take the name");
    s = shot();
    s.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-files-reopened.png"));
    for (const QPoint white : {QPoint(2, 3), QPoint(10, 20), QPoint(47, 55)})
        QVERIFY2(close(cellColour(s, white.x(), white.y()), qRgb(255, 255, 255)),
                 qPrintable(describe(cellColour(s, white.x(), white.y()))));
    QVERIFY(close(cellColour(s, 3, 3), qRgb(0, 0, 0)));
    // The grid still lies over the reopened portrait.
    QCOMPARE(s.pixel(client.topLeft() + QPoint(250 + 16, 30 + 25)) & 0xFFFFFF, qRgb(50, 50, 50) & 0xFFFFFF);
}

void FilesE2E::otherSizeAsksBeforeCropping()
{
    // 100 x 80: red where the portrait will take it, green beyond.
    QImage wide(100, 80, QImage::Format_RGB32);
    wide.fill(qRgb(0, 160, 0));
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            wide.setPixel(x, y, qRgb(220, 0, 0));
    // PNG keeps the colour edge at the crop line exact; typed names pass the *.jpg filter.
    QVERIFY(QDir(dir.path()).mkpath("photos"));
    const QString file = dir.filePath(QStringLiteral("photos/wide.png"));
    QVERIFY(wide.save(file, "PNG"));
    QFile photo(file);
    QVERIFY(photo.open(QIODevice::ReadOnly));
    const QByteArray photoBytes = photo.readAll();
    photo.close();
    const QImage before = shot();

    // Cancel leaves the portrait as it was.
    clickToolbar(2);
    QVERIFY(session.answerFileDialog("Load Portrait", file));
    QString question = session.waitForWindow("Non-Standard Dimensions");
    QVERIFY2(!question.isEmpty(), "no size question");
    session.syncedScreenshot(question).save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-files-question.png"));
    session.focus(question);
    session.key("Escape");
    QVERIFY(session.waitForWindowGone(question));
    QImage s = shot();
    for (const QPoint cell : {QPoint(2, 3), QPoint(3, 3), QPoint(47, 55), QPoint(20, 30)})
        QCOMPARE(cellColour(s, cell.x(), cell.y()), cellColour(before, cell.x(), cell.y()));

    // Retry keeps the top-left 48 x 56 pixels: all red.
    clickToolbar(2);
    QVERIFY(session.answerFileDialog("Load Portrait", file));
    question = session.waitForWindow("Non-Standard Dimensions");
    QVERIFY(!question.isEmpty());
    session.focus(question);
    session.key("Return"); // Retry is the default button
    QVERIFY(session.waitForWindowGone(question));
    s = shot();
    s.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-files-cropped.png"));
    for (const QPoint cell : {QPoint(0, 0), QPoint(2, 3), QPoint(47, 0), QPoint(0, 55), QPoint(47, 55)})
        QCOMPARE(describe(cellColour(s, cell.x(), cell.y())), describe(qRgb(220, 0, 0)));

    // The crop is not the photo: Save starts in its folder with no name, so Return and
    // "Yes, replace" cannot put the portrait over the photo.
    clickToolbar(3);
    const QString dialog = session.waitForWindow("Save Portrait");
    QVERIFY(!dialog.isEmpty());
    session.focus(dialog);
    session.key("Return");
    QString replace;
    (void)QTest::qWaitFor(
        [&] {
            for (const QString& id :
                 X11Session::xdotool({"search", "--onlyvisible", "--name", "^Save Portrait$"}).split('\n'))
                if (!id.trimmed().isEmpty() && id.trimmed() != dialog)
                    replace = id.trimmed();
            return !replace.isEmpty();
        },
        2000);
    if (!replace.isEmpty()) {
        session.focus(replace);
        session.key("alt+y");
    }
    session.key("ctrl+a");
    session.type("cropped");
    session.key("Return");
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(dir.filePath("photos/cropped.jpg")); }, 10000));
    QVERIFY(session.waitForWindowGone(dialog));
    QVERIFY(photo.open(QIODevice::ReadOnly));
    QVERIFY2(photo.readAll() == photoBytes, "the photo was replaced");
}

void FilesE2E::failedSaveSaysSo()
{
    // No encoder writes .xyz (a name without any extension is saved as .jpg).
    const QString file = dir.filePath(QStringLiteral("unknown-type.xyz"));
    clickToolbar(3);
    QVERIFY(session.answerFileDialog("Save Portrait", file));
    // The message box carries the dialog's title.
    const QString box = session.waitForWindow("Save Portrait");
    QVERIFY2(!box.isEmpty(), "no message about the failed save");
    session.syncedScreenshot(box).save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-files-save-failed.png"));
    session.focus(box);
    session.key("Return");
    QVERIFY(session.waitForWindowGone(box));
    QVERIFY(!QFileInfo::exists(file));
}

void FilesE2E::saveThatCannotSyncLeavesTheOldFile()
{
    // An earlier portrait, replaced by Save on a disk that takes the data but cannot sync it.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("earlier.jpg"));
    QImage earlier(48, 56, QImage::Format_RGB32);
    earlier.fill(qRgb(0, 0, 200));
    QVERIFY(earlier.save(file, "JPEG"));
    QFile read(file);
    QVERIFY(read.open(QIODevice::ReadOnly));
    const QByteArray before = read.readAll();
    read.close();

    X11Session failing;
    QString window;
    QRect area;
    QVERIFY(failing.startEditor(&window, &area,
                                {QStringLiteral("LD_PRELOAD=" PICTORIA_FAILING_SYNC),
                                 QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0")}));
    const QPoint cell = area.topLeft() + QPoint(250 + 8 * 5 + 4, 30 + 8 * 5 + 4);
    failing.click(cell.x(), cell.y());
    failing.clickToolbarButton(area, 3);
    const QString dialog = failing.waitForWindow("Save Portrait");
    QVERIFY(!dialog.isEmpty());
    failing.focus(dialog);
    failing.key("ctrl+a");
    failing.type(file);
    failing.key("Return");
    // The dialog asks before replacing the file, then the save's own box says why it failed:
    // each a window of the same title.
    auto nextBox = [&](const QStringList& seen) {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                const QStringList ids =
                    X11Session::xdotool({"search", "--onlyvisible", "--name", "^Save Portrait$"}).split('\n');
                for (const QString& id : ids)
                    if (!id.trimmed().isEmpty() && !seen.contains(id.trimmed()))
                        found = id.trimmed();
                return !found.isEmpty();
            },
            15000);
        return found;
    };
    const QString replace = nextBox({dialog});
    QVERIFY2(!replace.isEmpty(), "no question before replacing the file");
    failing.focus(replace);
    failing.key("alt+y");
    QVERIFY(failing.waitForWindowGone(dialog));
    const QString failure = nextBox({dialog, replace});
    QVERIFY2(!failure.isEmpty(), "the save that could not sync was not reported");
    failing.screenshot().save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-files-sync-failed.png"));
    failing.focus(failure);
    failing.key("Return");
    QVERIFY(failing.waitForWindowGone(failure));

    QVERIFY(read.open(QIODevice::ReadOnly));
    QCOMPARE(read.readAll(), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"earlier.jpg"});
    failing.stop();
}

void FilesE2E::messageShowsTheNameAsItIs_data()
{
    // details: the text is cut to fit, and the whole of it is under "Show Details".
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("details");
    QTest::newRow("a name written as markup")
        << R"(<h1 style="color:red">Portrait saved<h1><!--.png)" << false;
    QTest::newRow("a name of many lines") << QString("l\n").repeated(100) + "end.png" << true;
    QTest::newRow("a name wider than the box") << QString(250, 'w') + ".png" << true;
}

void FilesE2E::messageShowsTheNameAsItIs()
{
    QFETCH(QString, name);
    QFETCH(bool, details);
    // Not a picture: the box that refuses it names the file.
    const QString file = dir.filePath(name);
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a picture") > 0);
    damaged.close();

    X11Session opening;
    QVERIFY(opening.start({file}));
    const QString box = opening.waitForWindow("Load Portrait");
    QVERIFY2(!box.isEmpty(), "no message about the file");
    const QRect area = opening.geometry(box);
    const QImage screen = opening.syncedScreenshot(box);
    screen.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-files-named-message.png"));
    QVERIFY2(screen.rect().contains(area), qPrintable(QStringLiteral("the box lies at %1, %2, %3 x %4")
                                                          .arg(area.x())
                                                          .arg(area.y())
                                                          .arg(area.width())
                                                          .arg(area.height())));
    // Plain text is black on grey; markup would have painted it big and red.
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = screen.pixel(x, y);
            red += qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
        }
    // The critical icon's red disc is the only red there.
    QVERIFY2(red < 1000, qPrintable(QStringLiteral("%1 red pixels").arg(red)));
    opening.focus(box);
    if (details) {
        // Tab from OK to "Show Details...": the box grows by the whole text below.
        opening.key("Tab");
        opening.key("space");
        QVERIFY2(QTest::qWaitFor([&] { return opening.geometry(box).height() > area.height(); }, 5000),
                 "no details to show");
    }
    opening.key("Escape");
    QVERIFY(opening.waitForWindowGone(box));
    opening.stop();
}

QTEST_MAIN(FilesE2E)
#include "tst_e2e_files.moc"
