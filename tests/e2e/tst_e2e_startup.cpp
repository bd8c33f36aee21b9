#include "support/X11Session.h"

#include <QtTest>

// The real binary in a real X server: the window, its client size and the canvas
// as a person sees it.
class StartupE2E : public QObject {
    Q_OBJECT
private slots:
    void windowShowsCanvasUnderGrid();
};

void StartupE2E::windowShowsCanvasUnderGrid()
{
    X11Session session;
    QVERIFY(session.start());
    const QString id = session.waitForWindow("Pictoria");
    QVERIFY2(!id.isEmpty(), "no window titled Pictoria appeared");
    const QRect client = session.geometry(id);
    QCOMPARE(client.size(), QSize(640, 568)); // 520 grown by the "Portrait" frame
    X11Session::settle(500);

    const QImage shot = session.screenshot();
    QVERIFY(!shot.isNull());
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-startup.png"));
    auto canvasPixel = [&](int x, int y) {
        return shot.pixel(client.x() + 250 + x, client.y() + 30 + y) & 0xFFFFFF;
    };
    const QRgb grid = qRgb(50, 50, 50) & 0xFFFFFF;
    QCOMPARE(canvasPixel(0, 0), grid);
    QCOMPARE(canvasPixel(8, 100), grid);
    QCOMPARE(canvasPixel(100, 8), grid);
    QCOMPARE(canvasPixel(376, 447), grid);
    QCOMPARE(canvasPixel(383, 440), grid);
    QCOMPARE(canvasPixel(3, 3), QRgb(0));
    QCOMPARE(canvasPixel(383, 447), QRgb(0));
    QCOMPARE(canvasPixel(383, 100), QRgb(0));
    QCOMPARE(canvasPixel(100, 447), QRgb(0));
    session.stop();
}

QTEST_GUILESS_MAIN(StartupE2E)
#include "tst_e2e_startup.moc"
