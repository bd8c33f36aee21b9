#include "support/X11Session.h"

#include <QDeadlineTimer>
#include <QtTest>
#include <functional>

// The view in the real window: painting from the keyboard with the cell cursor, for
// every tool, and the zoom stepped with Ctrl+Plus, Ctrl+Minus and Ctrl+wheel, the
// window growing with the view and everything drawn right at each zoom.
class ViewE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void keyboardPaintsWithEveryTool();
    void zoomStepsAndTheViewStaysRight();

private:
    static constexpr QRgb White = 0xFFFFFF;
    static constexpr QRgb Black = 0x000000;
    static constexpr QRgb GridLine = 0x323232;
    static constexpr QRgb Grey = 0x0F0F0F; // black a gamma step brighter

    // Where view pixel (x, y) is on the screen; the view starts at client (250, 30).
    QPoint view(int x, int y) const { return client.topLeft() + QPoint(250 + x, 30 + y); }
    QRgb at(const QImage& shot, int x, int y) const { return shot.pixel(view(x, y)) & 0xFFFFFF; }
    QRgb cell(const QImage& shot, int x, int y) const
    {
        return at(shot, x * zoom + zoom / 2, y * zoom + zoom / 2);
    }
    // Screenshots until one satisfies the condition or the deadline passes; the last one.
    QImage shotWhen(const std::function<bool(const QImage&)>& holds, int timeoutMs = 5000) const
    {
        return session.waitForScreen(holds, timeoutMs);
    }
    // Waits for the window's new size; a window grown past the screen's edge also moves.
    bool clientBecomes(QSize size)
    {
        QDeadlineTimer deadline(5000);
        while (session.geometry(id).size() != size && !deadline.hasExpired())
            QTest::qWait(50);
        client = session.geometry(id);
        return client.size() == size;
    }
    void keys(const QString& sequence) const
    {
        for (const QString& k : sequence.split(' '))
            session.key(k);
    }
    // Over the window's own background, left of the view: no popup, no cursor change.
    void park() const { session.moveTo(client.x() + 245, client.y() + 300); }

    X11Session session;
    QString id;
    QRect client;
    int zoom = 8;
};

void ViewE2E::initTestCase()
{
    QVERIFY(session.startEditor(&id, &client));
    park();
}

void ViewE2E::cleanupTestCase()
{
    session.stop();
}

void ViewE2E::keyboardPaintsWithEveryTool()
{
    // The cursor appears and moves; the popup ("always" at start) follows it.
    keys(QStringLiteral("Right Right Right Down Down")); // from (0, 0) to (3, 2)
    QImage shot = shotWhen([&](const QImage& s) { return at(s, 24, 20) == White; });
    QCOMPARE(at(shot, 24, 20), White);    // the cursor's inner ring, on the cell's edge
    QCOMPARE(at(shot, 23, 20), Black);    // its outer ring
    QCOMPARE(at(shot, 40, 20), GridLine); // further on, the grid
    QCOMPARE(cell(shot, 3, 2), Black);
    QVERIFY2(at(shot, 28 + 8 + 40, 20 + 8 + 10) != Black, "no popup beside the cursor");

    // Without the popup from here on, so that it covers no cell looked at. The middle
    // button paints nothing with the Brush: the click gives the view the focus back and
    // leaves the pointer's cell, (3, 2), as where the cursor starts again.
    session.click(client.x() + 4 + 12 + 6, client.y() + 388 + 54 + 8); // "Do not Show RGB Popup"
    session.click(view(28, 20).x(), view(28, 20).y(), 2);
    park();
    shot = shotWhen([&](const QImage& s) { return at(s, 28 + 8 + 40, 20 + 8 + 10) == Black; });
    QCOMPARE(cell(shot, 3, 2), Black);

    // Brush: Space paints the foreground (white); Space held strokes along the arrows;
    // Shift+Space paints the background (black).
    keys(QStringLiteral("space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 3, 2) == White; });
    QCOMPARE(cell(shot, 3, 2), White);
    session.keyDown(QStringLiteral("space"));
    keys(QStringLiteral("Right Right"));
    session.keyUp(QStringLiteral("space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 5, 2) == White; });
    QCOMPARE(cell(shot, 4, 2), White);
    QCOMPARE(cell(shot, 5, 2), White);
    keys(QStringLiteral("shift+space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 5, 2) == Black; });
    QCOMPARE(cell(shot, 5, 2), Black);

    // Adjust Gamma: Space brightens the black cell below by the step, 15.
    keys(QStringLiteral("g Down space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 5, 3) == Grey; });
    QCOMPARE(cell(shot, 5, 3), Grey);

    // Grab Color: Space takes that grey as the foreground, which the Brush then paints.
    keys(QStringLiteral("i space b Right space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 6, 3) == Grey; });
    QCOMPARE(cell(shot, 6, 3), Grey);

    // Replace Colors: Space turns replace colour 2 (black) into colour 1 (white).
    keys(QStringLiteral("r Right space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 7, 3) == White; });
    QCOMPARE(cell(shot, 7, 3), White);

    // Fill: Space fills the black area around the cell with the foreground.
    keys(QStringLiteral("f Down space"));
    shot = shotWhen([&](const QImage& s) { return cell(s, 40, 50) == Grey; });
    QCOMPARE(cell(shot, 7, 4), Grey);
    QCOMPARE(cell(shot, 40, 50), Grey);
    QCOMPARE(cell(shot, 7, 3), White); // not black: not filled
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-view-keyboard.png"));
    keys(QStringLiteral("b"));
}

void ViewE2E::zoomStepsAndTheViewStaysRight()
{
    // Cells to find again: (1, 1) painted black with the right button on the grey.
    session.click(view(1 * 8 + 4, 1 * 8 + 4).x(), view(1 * 8 + 4, 1 * 8 + 4).y(), 3);
    park();
    QImage shot = shotWhen([&](const QImage& s) { return cell(s, 1, 1) == Black; });
    QCOMPARE(cell(shot, 1, 1), Black);

    // Ctrl+Plus: 12 pixels a cell; the window grows to hold the view.
    keys(QStringLiteral("ctrl+plus"));
    QVERIFY2(clientBecomes(QSize(832, 837)), "the window did not grow for zoom 12");
    zoom = 12;
    shot = shotWhen([&](const QImage& s) { return cell(s, 1, 1) == Black && at(s, 12, 20) == GridLine; });
    QCOMPARE(cell(shot, 1, 1), Black);
    QCOMPARE(cell(shot, 2, 1), Grey);
    QCOMPARE(at(shot, 12, 20), GridLine);   // cell (1, 1)'s edge
    QCOMPARE(at(shot, 12 + 11, 20), Black); // its last column
    QCOMPARE(at(shot, 24 + 1, 20), Grey);   // the next cell
    QCOMPARE(cell(shot, 47, 55), Grey);     // the view's far corner is there too
    // Painting at this zoom: a click paints the cell under it.
    session.click(view(10 * 12 + 6, 20 * 12 + 6).x(), view(10 * 12 + 6, 20 * 12 + 6).y(), 3);
    park();
    shot = shotWhen([&](const QImage& s) { return cell(s, 10, 20) == Black; });
    QCOMPARE(cell(shot, 10, 20), Black);
    QCOMPARE(cell(shot, 11, 20), Grey);

    // Ctrl+wheel down over the view: back to 8, and the window to its design size.
    session.moveTo(view(200, 200).x(), view(200, 200).y());
    session.keyDown(QStringLiteral("Control_L"));
    session.click(view(200, 200).x(), view(200, 200).y(), 5);
    session.keyUp(QStringLiteral("Control_L"));
    QVERIFY2(clientBecomes(QSize(640, 613)), "Ctrl+wheel did not zoom out");
    zoom = 8;
    park();
    shot = shotWhen([&](const QImage& s) { return cell(s, 10, 20) == Black && cell(s, 1, 1) == Black; });
    QCOMPARE(cell(shot, 10, 20), Black);
    QCOMPARE(cell(shot, 1, 1), Black);

    // Ctrl+Minus twice: 4 pixels a cell, in the same window.
    keys(QStringLiteral("ctrl+minus ctrl+minus"));
    zoom = 4;
    shot = shotWhen([&](const QImage& s) { return at(s, 43, 83) == Black && at(s, 4, 5) == GridLine; });
    QCOMPARE(session.geometry(id).size(), QSize(640, 613));
    QCOMPARE(at(shot, 4 * 10 + 3, 4 * 20 + 3), Black);
    QCOMPARE(at(shot, 4 * 11 + 1, 4 * 20 + 1), Grey);
    QCOMPARE(at(shot, 4, 5), GridLine);
    // The popup beside the pointer at the view's right edge turns to its left, whole:
    // over grey, "RGB(15,15,15)" is 109 pixels wide, so it spans 73 to 181.
    session.click(client.x() + 4 + 12 + 6, client.y() + 388 + 18 + 8); // "Show RGB Popup Always"
    session.moveTo(view(190, 122).x(), view(190, 122).y());
    shot = shotWhen([&](const QImage& s) {
        return at(s, 74, 141) != Grey && at(s, 102, 141) != Grey && at(s, 181, 141) != Grey;
    });
    QVERIFY2(at(shot, 102, 141) != Grey, "no popup left of the pointer");
    QVERIFY(at(shot, 74, 141) != Grey);
    QVERIFY(at(shot, 181, 141) != Grey);
    QCOMPARE(at(shot, 70, 141), Grey);
    QCOMPARE(at(shot, 183, 141), Grey);
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-view-zoom4.png"));

    // Up to 16: the window grows to 1024 pixels wide and as high as this 1280 x 1024
    // screen lets it (1039 would hold the whole view); the rest of the view scrolls.
    park();
    keys(QStringLiteral("ctrl+plus ctrl+plus ctrl+plus ctrl+plus ctrl+plus"));
    const int screenHeight = session.screenshot().height();
    // A vertical scroll bar beside the view widens the window by its own width.
    QVERIFY2(X11Session::waitUntil([&] {
                 client = session.geometry(id);
                 return client.height() == qMin(1039, screenHeight - client.y()) && client.width() >= 1024 &&
                        client.width() <= 1024 + 24;
             }),
             qPrintable(QStringLiteral("the window did not grow for zoom 16: %1 x %2")
                            .arg(client.width())
                            .arg(client.height())));
    zoom = 16;
    shot = shotWhen([&](const QImage& s) { return cell(s, 10, 20) == Black; });
    QCOMPARE(cell(shot, 10, 20), Black);
    QCOMPARE(cell(shot, 1, 1), Black);
    QCOMPARE(at(shot, 16 * 47 + 15, 16 * 40 + 15), Grey);
    QCOMPARE(at(shot, 16 * 47, 16 * 40 + 15), GridLine);
}

QTEST_GUILESS_MAIN(ViewE2E)
#include "tst_e2e_view.moc"
