#include "files/SavedLook.h"
#include "import/ImportRegion.h"
#include "import/PictureScale.h"
#include "support/TestSupport.h"
#include "support/X11Session.h"

#include <QtTest>

// In the real window: P held over the view shows the portrait as Low quality saves it,
// and a picture larger than the screen opens whole in a window beside the main window,
// is zoomed with the wheel about the pointer and picked with the arrow keys and Enter.
class BeyondE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void heldKeyShowsSavedLook();
    void largePictureZoomNudgeAndEnter();

private:
    QPoint cellCentre(int x, int y) const
    {
        return client.topLeft() + QPoint(250 + 8 * x + 4, 30 + 8 * y + 4);
    }
    QImage viewCells(const QImage& shot) const
    {
        QImage cells(48, 56, QImage::Format_RGB32);
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 48; ++x)
                cells.setPixel(x, y, shot.pixel(cellCentre(x, y)) | 0xFF000000u);
        return cells;
    }
    // Over the window's own background, which also takes the RGB popup off the view.
    void offView() const { session.moveTo(client.x() + 245, client.y() + 300); }

    X11Session session;
    QString id;
    QRect client;
};

void BeyondE2E::initTestCase()
{
    QVERIFY(session.startEditor(&id, &client));
}

void BeyondE2E::cleanupTestCase()
{
    session.stop();
}

void BeyondE2E::heldKeyShowsSavedLook()
{
    // A white stroke on black: JPEG at 55% rings around it.
    session.drag(cellCentre(5, 6), cellCentre(40, 20), 1, 12);
    session.drag(cellCentre(10, 50), cellCentre(30, 8), 1, 12);
    session.click(client.x() + 4 + 12 + 8, client.y() + 280 + 83 + 8); // Low (55%)
    offView();
    const QImage portrait = viewCells(session.syncedScreenshot());
    QVERIFY(portrait.pixel(5, 6) == qRgb(255, 255, 255));

    SavedLook look;
    const SavedLook::Result expected = look.look(portrait, 55);
    QVERIFY(expected.ok());
    QVERIFY(expected.picture != portrait);

    session.moveTo(cellCentre(24, 54).x(), cellCentre(24, 54).y());
    session.keyDown("p");
    const QImage held = viewCells(session.syncedScreenshot());
    session.keyUp("p");
    offView();
    const QImage released = viewCells(session.syncedScreenshot());

    int mismatches = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            if (held.pixel(x, y) != expected.picture.pixel(x, y) && ++mismatches <= 5)
                qWarning("cell (%d, %d): %06x, saved look %06x", x, y, held.pixel(x, y) & 0xFFFFFF,
                         expected.picture.pixel(x, y) & 0xFFFFFF);
    QCOMPARE(mismatches, 0);
    QCOMPARE(released, portrait);
}

void BeyondE2E::largePictureZoomNudgeAndEnter()
{
    const QImage picture = TestSupport::patternImage(2200, 1800);
    const QString path = TestSupport::tempPath(QStringLiteral("large-import.bmp"));
    QVERIFY(picture.save(path, "BMP"));
    auto sharp = [&](QSize shown) {
        return PictureScale::scaledPart(picture, shown, QRect(QPoint(0, 0), shown),
                                        PictureScale::Filter::Sharp);
    };

    session.focus(id);
    session.click(client.x() + 80, client.y() + 11); // Import
    const QString dialog = session.waitForWindow("Import Bitmap");
    QVERIFY2(!dialog.isEmpty(), "the import dialog did not open");
    session.focus(dialog);
    session.sync(dialog);
    session.type(path);
    session.key("Return");
    const QString picker = session.waitForWindow("Import Picture");
    QVERIFY2(!picker.isEmpty(), "the import window did not open");
    const QRect frame = session.geometry(picker);
    // Scaling a large picture takes a while in a slow build: wait for the exact pixels.
    auto settledShot = [&](QPoint at, QRgb wanted) {
        return session.waitForScreen(
            [&](const QImage& s) { return (s.pixel(at) & 0xFFFFFF) == (wanted & 0xFFFFFF); }, 20000);
    };
    // The whole picture shows, zoomed out by whole steps, in a window on the screen beside
    // the main window.
    int step = 0;
    while (PictureScale::scaledSize(picture.size(), step).width() + 12 > frame.width())
        --step;
    const QSize opened = PictureScale::scaledSize(picture.size(), step);
    const QImage first = sharp(opened);
    const QPoint origin = frame.topLeft() + QPoint(6, 6);
    const QImage shot = settledShot(origin + QPoint(opened.width() - 2, opened.height() - 2),
                                    first.pixel(opened.width() - 2, opened.height() - 2));
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-import-large.png"));
    QVERIFY2(
        QRect(QPoint(0, 0), shot.size()).contains(frame),
        qPrintable(
            QString("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    QVERIFY(!frame.intersects(QRect(client.topLeft() + QPoint(248, 28), QSize(388, 452))));
    QVERIFY(step < 0 && frame.height() > opened.height() + 12);
    for (const QPoint p : {QPoint(3, 5), QPoint(opened.width() - 2, opened.height() - 2)})
        QCOMPARE(shot.pixel(origin + p) & 0xFFFFFF, first.pixel(p) & 0xFFFFFF);

    // Wheel up to half size about a point off the middle: the picture point under the
    // pointer stays under it (to a pixel of rounding), the picture does not jump to the
    // middle. Button 4 in place (moving to where the pointer already is would wait for a
    // motion that never comes).
    const QPoint at(opened.width() / 3, opened.height() / 4);
    session.moveTo(origin.x() + at.x(), origin.y() + at.y());
    session.sync(picker);
    for (int i = step; i < -4; ++i) {
        session.press(4);
        session.release(4);
        session.sync(picker); // one notch at a time, each about the same point
    }
    const QSize halfSize = PictureScale::scaledSize(picture.size(), -4);
    const QImage half = sharp(halfSize);
    const QPoint predicted(int(std::lround(double(at.x()) * halfSize.width() / opened.width())),
                           int(std::lround(double(at.y()) * halfSize.height() / opened.height())));
    const QImage zoomed = settledShot(origin + at, half.pixel(predicted));
    // The 5 x 5 pixels around the pointer are the half-size picture's around the predicted
    // point, give or take one.
    QPoint found(-99, -99);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            bool same = true;
            for (int y = -2; y <= 2 && same; ++y)
                for (int x = -2; x <= 2 && same; ++x)
                    same = (zoomed.pixel(origin + at + QPoint(x, y)) & 0xFFFFFF) ==
                           (half.pixel(predicted + QPoint(dx + x, dy + y)) & 0xFFFFFF);
            if (same)
                found = predicted + QPoint(dx, dy);
        }
    QVERIFY2(found.x() != -99, "the point under the pointer moved");

    // Nudged three right and one down, Enter takes the region under the frame.
    for (const char* key : {"Right", "Right", "Right", "Down"})
        session.key(key);
    session.key("Return");
    QVERIFY2(session.waitForWindowGone(picker), "Enter did not end the pick");
    offView();
    const ImportRegion r = ImportRegion::at(float(found.x() + 3), float(found.y() + 1));
    const QImage expected = half.copy(QRect(r.origin, QSize(48, 56)));
    const QImage taken =
        session.waitForScreen([&](const QImage& s) { return viewCells(s) == expected; }, 10000);
    QCOMPARE(viewCells(taken), expected);
}

QTEST_GUILESS_MAIN(BeyondE2E)
#include "tst_e2e_beyond.moc"
