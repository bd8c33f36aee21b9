#include "import/PictureScale.h"
#include "support/TestSupport.h"
#include "support/X11Session.h"

#include <QProcess>
#include <QtTest>

// Importing in the real window: the toolbar's Import button, Qt's file dialog, the import
// window sized around the picture, a drag over it, and the main view showing exactly
// the region that was under the frame, magnified.
class ImportE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void dragPicksRegion_data();
    void dragPicksRegion();
    void besideClickEscapeAndFit();
    void everyImportOpensAfterAZoomedOne_data();
    void everyImportOpensAfterAZoomedOne();
    void largeJpegsInARowShowAndTakeTheWholePicture();

private:
    // Opens the import window on the picture through the toolbar and the file dialog and
    // waits for it to show the picture (zoomed out when it is wider than the room beside
    // the main window). Empty, with why, when it does not.
    QString openImport(const QString& path, const QImage& picture, QString* why = nullptr);
    // The portrait's cells as the main view shows them.
    QImage cellsOf(const QImage& shot) const;
    // The view's cells with the pointer off the view, once they are the expected ones or
    // the wait is over.
    QImage viewCells(const QImage& expected);
    QRgb cellColour(const QImage& shot, int x, int y) const
    {
        return shot.pixel(client.x() + 250 + 8 * x + 4, client.y() + 30 + 8 * y + 4) & 0xFFFFFF;
    }
    // Pixels of the shown picture, at origin on the screen, that differ from picture.
    static int differences(const QImage& shot, QPoint origin, const QImage& picture)
    {
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += (shot.pixel(origin + QPoint(x, y)) & 0xFFFFFF) != (picture.pixel(x, y) & 0xFFFFFF);
        return count;
    }

    X11Session session;
    QString id;
    QRect client;
};

namespace {

// The import window's outline keeps its place from one pick to the next and may lie over
// a newly opened picture: its border is all of the picture a screenshot may not show.
constexpr int OutlinePixels = 2 * (50 + 58);

} // namespace

void ImportE2E::initTestCase()
{
    QVERIFY(session.startEditor(&id, &client));
}

void ImportE2E::cleanupTestCase()
{
    session.stop();
}

void ImportE2E::dragPicksRegion_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("200 x 150, inside") << QSize(200, 150) << QPoint(40, 40) << QPoint(120, 90);
    QTest::newRow("1000 x 800, zoomed out, over the corner")
        << QSize(1000, 800) << QPoint(150, 100) << QPoint(5, 9);
}

void ImportE2E::dragPicksRegion()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    const QImage picture = TestSupport::patternImage(size.width(), size.height());
    const QString path =
        TestSupport::tempPath(QStringLiteral("import-%1x%2.bmp").arg(size.width()).arg(size.height()));
    QVERIFY(picture.save(path, "BMP"));

    QString why;
    const QString picker = openImport(path, picture, &why);
    QVERIFY2(!picker.isEmpty(), qPrintable(why));
    const QRect frame = session.geometry(picker);
    // Around the picture, with the zoom on a line below it. A picture larger than the room
    // beside the main window opens zoomed out by whole steps until all of it shows.
    int step = 0;
    while (PictureScale::scaledSize(size, step).width() + 12 > frame.width())
        --step;
    const QSize shown = PictureScale::scaledSize(size, step);
    QCOMPARE(frame.width(), shown.width() + 12);
    QVERIFY(frame.height() > shown.height() + 12);
    QVERIFY(frame.right() < client.left() || frame.left() > client.right()); // beside the main window
    const QImage seen =
        PictureScale::scaledPart(picture, shown, QRect(QPoint(0, 0), shown), PictureScale::Filter::Sharp);
    QCOMPARE(session.windowTitle(picker), QStringLiteral("Import Picture"));

    // The picture starts 6 pixels into the window: 4 of margin, 2 of the container's border.
    const QPoint origin = frame.topLeft() + QPoint(6, 6);
    session.drag(origin + from, origin + to, 1, 10);
    QVERIFY2(session.waitForWindowGone(picker), "releasing the button did not close the import window");

    const QPoint region = to - QPoint(23, 27);
    QImage expected(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const QPoint p = region + QPoint(x, y);
            expected.setPixel(x, y, seen.rect().contains(p) ? seen.pixel(p) : qRgb(0, 0, 0)); // well is black
        }
    session.moveTo(client.x() + 620, client.y() + 10); // off the view
    const QImage shot = session.waitForScreen([&](const QImage& s) {
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 48; ++x)
                if (cellColour(s, x, y) != (expected.pixel(x, y) & 0xFFFFFF))
                    return false;
        return true;
    });
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-import-%1.png").arg(size.width()));
    int mismatches = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            if (cellColour(shot, x, y) != (expected.pixel(x, y) & 0xFFFFFF) && ++mismatches <= 5)
                qWarning("cell (%d, %d): %06x, expected %06x", x, y, cellColour(shot, x, y),
                         expected.pixel(x, y) & 0xFFFFFF);
    QCOMPARE(mismatches, 0);
    // The grid still lies over the new portrait.
    QCOMPARE(shot.pixel(client.x() + 250 + 8 * 10, client.y() + 30 + 8 * 10 + 3) & 0xFFFFFF,
             qRgb(50, 50, 50) & 0xFFFFFF);
}

QString ImportE2E::openImport(const QString& path, const QImage& picture, QString* why)
{
    QString reason;
    if (!why)
        why = &reason;
    session.focus(id);
    session.click(client.x() + 80, client.y() + 11); // toolbar button 4, Import
    const QString dialog = session.waitForWindow("Import Bitmap");
    if (dialog.isEmpty()) {
        *why = QStringLiteral("the import dialog did not open");
        return {};
    }
    session.focus(dialog);
    session.sync(dialog);
    session.type(path);
    session.key("Return");
    // The import window, or the box that says why there is none.
    const QString shown = session.waitForWindow("Import Picture|RenderDIB Error|Error Code [0-9]+");
    const QString title = shown.isEmpty() ? QString() : session.windowTitle(shown);
    if (title != QLatin1String("Import Picture")) {
        *why = title.isEmpty() ? QStringLiteral("the import window did not open")
                               : QStringLiteral("\"%1\" instead of the import window").arg(title);
        if (!shown.isEmpty()) {
            session.focus(shown);
            session.key("Return");
            session.waitForWindowGone(shown);
        }
        return {};
    }
    // The picture starts 6 pixels into the window: 4 of margin, 2 of the container's border.
    // One wider than the room beside the main window opens zoomed out by whole steps.
    const QRect frame = session.geometry(shown);
    const QPoint origin = frame.topLeft() + QPoint(6, 6);
    int step = 0;
    while (PictureScale::scaledSize(picture.size(), step).width() + 12 > frame.width())
        --step;
    const QSize size = PictureScale::scaledSize(picture.size(), step);
    const QImage seen = step == 0 ? picture
                                  : PictureScale::scaledPart(picture, size, QRect(QPoint(0, 0), size),
                                                             PictureScale::Filter::Sharp);
    const QImage shot =
        session.waitForScreen([&](const QImage& s) { return differences(s, origin, seen) <= OutlinePixels; });
    if (const int wrong = differences(shot, origin, seen); wrong > OutlinePixels) {
        *why = QStringLiteral("the import window shows %1 of %2 pixels wrong")
                   .arg(wrong)
                   .arg(picture.width() * picture.height());
        return {};
    }
    return shown;
}

QImage ImportE2E::cellsOf(const QImage& shot) const
{
    QImage cells(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            cells.setPixel(x, y, cellColour(shot, x, y) | 0xFF000000u);
    return cells;
}

QImage ImportE2E::viewCells(const QImage& expected)
{
    session.moveTo(client.x() + 245, client.y() + 300); // the window's background: no popup
    return cellsOf(session.waitForScreen([&](const QImage& s) { return cellsOf(s) == expected; }));
}

void ImportE2E::besideClickEscapeAndFit()
{
    const QImage picture = TestSupport::patternImage(192, 112);
    const QString path = TestSupport::tempPath(QStringLiteral("import-beside.png"));
    QVERIFY(picture.save(path, "PNG"));

    // Beside the main window, the view in sight; a click without moving takes the region.
    QString why;
    QString picker = openImport(path, picture, &why);
    QVERIFY2(!picker.isEmpty(), qPrintable(why));
    QRect frame = session.geometry(picker);
    const QRect view(client.topLeft() + QPoint(248, 28), QSize(388, 452));
    QVERIFY2(!frame.intersects(view), "the import window covers the view");
    const QPoint origin = frame.topLeft() + QPoint(6, 6);
    session.moveTo(origin.x() + 60, origin.y() + 50);
    session.click(origin.x() + 60, origin.y() + 50);
    QVERIFY2(session.waitForWindowGone(picker), "a click did not take the region");
    const QImage clicked = picture.copy(QRect(QPoint(60 - 23, 50 - 27), QSize(48, 56)));
    QCOMPARE(viewCells(clicked), clicked);

    // Escape after a drag: the portrait is as it was.
    picker = openImport(path, picture, &why);
    QVERIFY2(!picker.isEmpty(), qPrintable(why));
    frame = session.geometry(picker);
    session.moveTo(frame.x() + 70, frame.y() + 60);
    session.press(1);
    session.moveTo(frame.x() + 140, frame.y() + 90); // the drag shows its region live
    const QImage dragged = picture.copy(QRect(QPoint(134 - 23, 84 - 27), QSize(48, 56))); // black below
    QCOMPARE(cellsOf(session.waitForScreen([&](const QImage& s) { return cellsOf(s) == dragged; })), dragged);
    session.focus(picker);
    // Not key(): its clearing of modifiers would also let go of the held button.
    session.keyDown("Escape");
    session.keyUp("Escape");
    QVERIFY2(session.waitForWindowGone(picker), "Escape did not close the import window");
    session.release(1);
    QCOMPARE(viewCells(clicked), clicked);

    // F: the whole picture, reduced into 48 x 28 with the sharp filter, between background bands.
    picker = openImport(path, picture, &why);
    QVERIFY2(!picker.isEmpty(), qPrintable(why));
    session.focus(picker);
    session.key("f");
    QVERIFY2(session.waitForWindowGone(picker), "F did not take the fitted picture");
    QImage fitted(48, 56, QImage::Format_RGB32);
    fitted.fill(Qt::black); // the background well
    const QImage scaled =
        PictureScale::scaledPart(picture, {48, 28}, QRect(0, 0, 48, 28), PictureScale::Filter::Sharp);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 48; ++x)
            fitted.setPixel(x, y + 14, scaled.pixel(x, y));
    QCOMPARE(viewCells(fitted), fitted);
}

void ImportE2E::everyImportOpensAfterAZoomedOne_data()
{
    // One import after another in the same window, each picture a new size, each pick
    // left at another zoom and ended another way: wheel buttons 4 (in) and 5 (out), then
    // keys; "C" covers the frame, "F" fits and takes.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<int>>("wheel");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("wheel in, Escape") << QSize(200, 150) << QList<int>{4} << QStringList{"Escape"};
    QTest::newRow("wheel out, Enter") << QSize(170, 130) << QList<int>{5} << QStringList{"Return"};
    QTest::newRow("C, Enter") << QSize(230, 110) << QList<int>{} << QStringList{"c", "Return"};
    QTest::newRow("wheel in twice, nudged, Enter")
        << QSize(150, 180) << QList<int>{4, 4} << QStringList{"Right", "Right", "Down", "Return"};
    QTest::newRow("F") << QSize(190, 140) << QList<int>{} << QStringList{"f"};
}

void ImportE2E::everyImportOpensAfterAZoomedOne()
{
    QFETCH(QSize, size);
    QFETCH(QList<int>, wheel);
    QFETCH(QStringList, keys);
    // Each picture its own pattern, so a window still showing the last one is wrong too.
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(
                x, y, qRgb((x * 3 + size.width()) & 255, (y * 5 + size.height()) & 255, (x ^ y) & 255));
    const QString path =
        TestSupport::tempPath(QStringLiteral("zoomed-%1x%2.bmp").arg(size.width()).arg(size.height()));
    QVERIFY(picture.save(path, "BMP"));

    QString why;
    const QString picker = openImport(path, picture, &why);
    QVERIFY2(!picker.isEmpty(), qPrintable(why));
    const QPoint origin = session.geometry(picker).topLeft() + QPoint(6, 6);
    session.focus(picker);
    // The frame over the picture's middle, then the zoom: the shown pixels change.
    session.moveTo(origin.x() + size.width() / 2, origin.y() + size.height() / 2);
    for (const int button : wheel) {
        session.press(button);
        session.release(button);
    }
    for (qsizetype i = 0; i + 1 < keys.size(); ++i)
        session.key(keys[i]);
    if (!wheel.isEmpty() || keys.contains(QStringLiteral("c"))) {
        const QImage zoomed = session.waitForScreen([&](const QImage& s) {
            return differences(s, origin, picture) > picture.width() * picture.height() / 2;
        });
        QVERIFY2(differences(zoomed, origin, picture) > picture.width() * picture.height() / 2,
                 "the picture did not zoom");
    }
    session.key(keys.constLast());
    QVERIFY2(session.waitForWindowGone(picker), qPrintable(keys.constLast() + " did not end the pick"));
}

// Three JPEGs in a row too large for the room beside the main window: each opens on a
// reduced decode, and the view then shows, and F takes, the whole picture scaled (a view
// or a portrait made from the reduced decode, or from the picture before, differs).
void ImportE2E::largeJpegsInARowShowAndTakeTheWholePicture()
{
    const QSize sizes[] = {{2400, 1800}, {1800, 2400}, {2400, 1800}};
    for (int round = 0; round < 3; ++round) {
        const QSize size = sizes[round];
        QImage source(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                source.setPixel(
                    x, y, qRgb((x * 7 + round * 40) & 255, (y * 3 + x / 5) & 255, ((x ^ y) + round) & 255));
        const QString ppm = TestSupport::tempPath(QStringLiteral("large-%1.ppm").arg(round));
        const QString path = TestSupport::tempPath(QStringLiteral("large-%1.jpg").arg(round));
        QVERIFY(source.save(ppm, "PPM"));
        QProcess encode;
        encode.start("cjpeg", {"-quality", "90", "-outfile", path, ppm});
        QVERIFY(encode.waitForFinished(TestSupport::HangDeadlineMs));
        QCOMPARE(encode.exitCode(), 0);
        QProcess djpeg;
        djpeg.start("djpeg", {"-ppm", path});
        QVERIFY(djpeg.waitForFinished(TestSupport::HangDeadlineMs));
        const QImage picture =
            QImage::fromData(djpeg.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), size);

        QString why;
        const QString picker = openImport(path, picture, &why);
        QVERIFY2(!picker.isEmpty(), qPrintable(why));
        session.focus(picker);
        session.key("f");
        QVERIFY2(session.waitForWindowGone(picker), "F did not take the fitted picture");
        const QImage fitted =
            PictureScale::fitInside(picture, {48, 56}, qRgb(0, 0, 0), PictureScale::Filter::Sharp);
        QCOMPARE(viewCells(fitted), fitted);
    }
}

QTEST_GUILESS_MAIN(ImportE2E)
#include "tst_e2e_import.moc"
