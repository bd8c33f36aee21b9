#include "import/PictureScale.h"
#include "support/TestSupport.h"
#include "support/X11Session.h"

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

private:
    // Opens the import window on the picture through the toolbar and the file dialog.
    QString openImport(const QString& path);
    QImage viewCells();
    QRgb cellColour(const QImage& shot, int x, int y) const
    {
        return shot.pixel(client.x() + 250 + 8 * x + 4, client.y() + 30 + 8 * y + 4) & 0xFFFFFF;
    }

    X11Session session;
    QString id;
    QRect client;
};

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

    session.focus(id);
    session.click(client.x() + 80, client.y() + 11); // toolbar button 4, Import
    const QString dialog = session.waitForWindow("Import Bitmap");
    QVERIFY2(!dialog.isEmpty(), "the import dialog did not open");
    X11Session::settle(400);
    session.type(path);
    session.key("Return");

    const QString picker = session.waitForWindow("Import Picture");
    QVERIFY2(!picker.isEmpty(), "the import window did not open");
    X11Session::settle(400);
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

    session.moveTo(client.x() + 620, client.y() + 10); // off the view
    X11Session::settle(500);
    const QImage shot = session.screenshot();
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-import-%1.png").arg(size.width()));
    const QPoint region = to - QPoint(23, 27);
    int mismatches = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const QPoint p = region + QPoint(x, y);
            const QRgb expected = seen.rect().contains(p) ? seen.pixel(p) & 0xFFFFFF : 0; // well is black
            if (cellColour(shot, x, y) != expected && ++mismatches <= 5)
                qWarning("cell (%d, %d): %06x, expected %06x", x, y, cellColour(shot, x, y), expected);
        }
    QCOMPARE(mismatches, 0);
    // The grid still lies over the new portrait.
    QCOMPARE(shot.pixel(client.x() + 250 + 8 * 10, client.y() + 30 + 8 * 10 + 3) & 0xFFFFFF,
             qRgb(50, 50, 50) & 0xFFFFFF);
}

QString ImportE2E::openImport(const QString& path)
{
    session.focus(id);
    session.click(client.x() + 80, client.y() + 11); // toolbar button 4, Import
    if (session.waitForWindow("Import Bitmap").isEmpty())
        return {};
    X11Session::settle(400);
    session.type(path);
    session.key("Return");
    const QString picker = session.waitForWindow("Import Picture");
    X11Session::settle(400);
    return picker;
}

QImage ImportE2E::viewCells()
{
    session.moveTo(client.x() + 245, client.y() + 300); // the window's background: no popup
    X11Session::settle(400);
    const QImage shot = session.screenshot();
    QImage cells(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            cells.setPixel(x, y, cellColour(shot, x, y) | 0xFF000000u);
    return cells;
}

void ImportE2E::besideClickEscapeAndFit()
{
    const QImage picture = TestSupport::patternImage(192, 112);
    const QString path = TestSupport::tempPath(QStringLiteral("import-beside.png"));
    QVERIFY(picture.save(path, "PNG"));

    // Beside the main window, the view in sight; a click without moving takes the region.
    QString picker = openImport(path);
    QVERIFY2(!picker.isEmpty(), "the import window did not open");
    QRect frame = session.geometry(picker);
    const QRect view(client.topLeft() + QPoint(248, 28), QSize(388, 452));
    QVERIFY2(!frame.intersects(view), "the import window covers the view");
    const QPoint origin = frame.topLeft() + QPoint(6, 6);
    session.moveTo(origin.x() + 60, origin.y() + 50);
    X11Session::settle(200);
    session.click(origin.x() + 60, origin.y() + 50);
    QVERIFY2(session.waitForWindowGone(picker), "a click did not take the region");
    const QImage clicked = viewCells();
    QCOMPARE(clicked, picture.copy(QRect(QPoint(60 - 23, 50 - 27), QSize(48, 56))));

    // Escape after a drag: the portrait is as it was.
    picker = openImport(path);
    QVERIFY(!picker.isEmpty());
    frame = session.geometry(picker);
    session.moveTo(frame.x() + 70, frame.y() + 60);
    session.press(1);
    session.moveTo(frame.x() + 140, frame.y() + 90); // the drag shows its region live
    X11Session::settle(300);
    session.focus(picker);
    // Not key(): its clearing of modifiers would also let go of the held button.
    session.keyDown("Escape");
    session.keyUp("Escape");
    QVERIFY2(session.waitForWindowGone(picker), "Escape did not close the import window");
    session.release(1);
    QCOMPARE(viewCells(), clicked);

    // F: the whole picture, reduced into 48 x 28 with the sharp filter, between background bands.
    picker = openImport(path);
    QVERIFY(!picker.isEmpty());
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
    QCOMPARE(viewCells(), fitted);
}

QTEST_GUILESS_MAIN(ImportE2E)
#include "tst_e2e_import.moc"
