#include "files/SavedLook.h"
#include "import/ImportRegion.h"
#include "support/TestSupport.h"
#include "support/X11Session.h"

#include <QtTest>

// In the real window: P held over the view shows the portrait as Low quality saves it,
// and a picture larger than the screen imports through a window that fits, zoomed with
// the wheel and picked with the arrow keys and Enter.
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
    // 2 x 2 blocks, so that half size is one pixel a block.
    const QSize blocks(1100, 900);
    QImage picture(blocks * 2, QImage::Format_RGB32);
    QImage half(blocks, QImage::Format_RGB32);
    for (int y = 0; y < blocks.height(); ++y)
        for (int x = 0; x < blocks.width(); ++x) {
            const QRgb c = qRgb(x * 7 % 256, y * 5 % 256, (x + y) % 256);
            half.setPixel(x, y, c);
            for (int k = 0; k < 4; ++k)
                picture.setPixel(2 * x + k % 2, 2 * y + k / 2, c);
        }
    const QString path = TestSupport::tempPath(QStringLiteral("large-import.bmp"));
    QVERIFY(picture.save(path, "BMP"));

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
    const QImage opened = session.syncedScreenshot(picker);
    opened.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-import-large.png"));
    // The window fits the screen, the picture scrolls inside it.
    QVERIFY2(
        frame.right() < opened.width() && frame.bottom() < opened.height() && frame.left() >= 0 &&
            frame.top() >= 0,
        qPrintable(
            QString("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    const QPoint origin = frame.topLeft() + QPoint(6, 6);
    QCOMPARE(opened.pixel(origin + QPoint(3, 5)) & 0xFFFFFF, picture.pixel(3, 5) & 0xFFFFFF);

    const QPoint at(300, 240);
    session.moveTo(origin.x() + at.x(), origin.y() + at.y());
    // Four notches down: half size. Button 5 in place (moving to where the pointer
    // already is would wait for a motion that never comes).
    for (int i = 0; i < 4; ++i) {
        session.press(5);
        session.release(5);
    }
    // At half size the picture fits the window without scroll bars, so it sits in the
    // middle of the container's inside (the window's client less 6 pixels each side).
    const QPoint centred((frame.width() - 12 - half.width()) / 2, (frame.height() - 12 - half.height()) / 2);
    QVERIFY(centred.x() > 0 && centred.y() > 0);
    const QPoint shown = origin + centred;
    // Scaling a large picture takes a while in a debug or sanitizer build: the view shows
    // a quick sample first and the exact pixels when they are ready.
    const QImage zoomed = session.waitForScreen(
        [&](const QImage& s) {
            return (s.pixel(shown + QPoint(401, 333)) & 0xFFFFFF) == (half.pixel(401, 333) & 0xFFFFFF) &&
                   (s.pixel(shown + QPoint(20, 30)) & 0xFFFFFF) == (half.pixel(20, 30) & 0xFFFFFF);
        },
        20000);
    QCOMPARE(zoomed.pixel(shown + QPoint(20, 30)) & 0xFFFFFF, half.pixel(20, 30) & 0xFFFFFF);
    QCOMPARE(zoomed.pixel(shown + QPoint(401, 333)) & 0xFFFFFF, half.pixel(401, 333) & 0xFFFFFF);
    QCOMPARE(zoomed.pixel(shown + QPoint(-1, 30)) & 0xFFFFFF,
             zoomed.pixel(origin + QPoint(0, 30)) & 0xFFFFFF);

    for (const char* key : {"Right", "Right", "Right", "Down"})
        session.key(key);
    session.key("Return");
    QVERIFY2(session.waitForWindowGone(picker), "Enter did not end the pick");
    offView();
    const QImage shot = session.syncedScreenshot();
    // The pointer stayed where it was, over the centred picture's point at - centred.
    const ImportRegion r = ImportRegion::at(float(at.x() - centred.x() + 3), float(at.y() - centred.y() + 1));
    QImage expected(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            expected.setPixel(x, y, half.pixel(r.origin + QPoint(x, y)));
    QCOMPARE(viewCells(shot), expected);
}

QTEST_GUILESS_MAIN(BeyondE2E)
#include "tst_e2e_beyond.moc"
