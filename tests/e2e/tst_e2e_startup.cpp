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
    QCOMPARE(client.size(), QSize(640, 591)); // 520 grown by the "Portrait" frame
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

    // The status bar's sunken panels stand edge to edge at x = 0..419, 420..539 and
    // 540..635: a dark line down each left edge, a light one down each right edge,
    // and the window's own background after the last.
    const int barTop = client.height() - 16;
    auto barPixel = [&](int x, int y) {
        return shot.pixel(client.x() + x, client.y() + barTop + y) & 0xFFFFFF;
    };
    const QRgb background = barPixel(638, 8);
    for (const auto& [left, right] : {std::pair{0, 419}, {420, 539}, {540, 635}}) {
        for (int y = 3; y <= 12; ++y) {
            QCOMPARE(barPixel(left, y), barPixel(left, 2));
            QCOMPARE(barPixel(right, y), barPixel(right, 2));
        }
        QVERIFY2(barPixel(left, 8) != background, qPrintable(QString::number(left)));
        QVERIFY2(barPixel(right, 8) != background, qPrintable(QString::number(right)));
        QVERIFY(qGray(barPixel(left, 8)) < qGray(barPixel(right, 8)));
    }
    QCOMPARE(barPixel(636, 8), background);
    session.stop();
}

QTEST_GUILESS_MAIN(StartupE2E)
#include "tst_e2e_startup.moc"
