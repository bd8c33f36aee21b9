#include "support/X11Session.h"

#include <QtTest>

// Painting in the real window: toolbar clicks, brush strokes, the grid, picking a
// colour and stepping gamma, each checked on a screenshot.
class EditingE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void brushLeftClickPaintsForeground();
    void rightDragPaintsBackground();
    void gridToggleHidesAndShowsLines();
    void grabColourSetsBackgroundWell();
    void gammaStepsACell();

private:
    QPoint cellCentre(int x, int y) const
    {
        return client.topLeft() + QPoint(250 + 8 * x + 4, 30 + 8 * y + 4);
    }
    QRgb cellColour(const QImage& shot, int x, int y) const
    {
        const QPoint p = cellCentre(x, y);
        return shot.pixel(p) & 0xFFFFFF;
    }
    QRgb viewPixel(const QImage& shot, int x, int y) const
    {
        return shot.pixel(client.x() + 250 + x, client.y() + 30 + y) & 0xFFFFFF;
    }
    void clickToolbar(int n) const { session.clickToolbarButton(client, n); }
    QImage shot() const
    {
        session.moveTo(client.x() + 620, client.y() + 10); // off the view: no popup, no overlay
        return session.syncedScreenshot();
    }

    X11Session session;
    QString id;
    QRect client;
};

void EditingE2E::initTestCase()
{
    QVERIFY(session.startEditor(&id, &client));
}

void EditingE2E::cleanupTestCase()
{
    session.stop();
}

void EditingE2E::brushLeftClickPaintsForeground()
{
    clickToolbar(6); // Brush
    const QPoint p = cellCentre(2, 3);
    session.click(p.x(), p.y(), 1);
    const QImage s = shot();
    QCOMPARE(cellColour(s, 2, 3), qRgb(255, 255, 255) & 0xFFFFFF);
    QCOMPARE(cellColour(s, 3, 3), QRgb(0));
    QCOMPARE(viewPixel(s, 16, 24), qRgb(50, 50, 50) & 0xFFFFFF); // grid still over the cell
}

void EditingE2E::rightDragPaintsBackground()
{
    session.drag(cellCentre(5, 10), cellCentre(12, 10), 1, 14);
    session.drag(cellCentre(7, 10), cellCentre(9, 10), 3, 6);
    const QImage s = shot();
    for (int x : {5, 6, 10, 11, 12})
        QCOMPARE(cellColour(s, x, 10), qRgb(255, 255, 255) & 0xFFFFFF);
    for (int x : {7, 8, 9})
        QCOMPARE(cellColour(s, x, 10), QRgb(0));
}

void EditingE2E::gridToggleHidesAndShowsLines()
{
    clickToolbar(11);
    QImage s = shot();
    QCOMPARE(viewPixel(s, 16, 24), qRgb(255, 255, 255) & 0xFFFFFF); // cell (2, 3)'s own corner
    QCOMPARE(viewPixel(s, 200, 200), QRgb(0));
    clickToolbar(11);
    s = shot();
    QCOMPARE(viewPixel(s, 200, 200), qRgb(50, 50, 50) & 0xFFFFFF);
}

void EditingE2E::grabColourSetsBackgroundWell()
{
    clickToolbar(7); // Grab Color
    const QPoint p = cellCentre(2, 3);
    session.click(p.x(), p.y(), 3);
    const QImage s = shot();
    // The background well (the lower of the two) now shows the white picked up.
    QCOMPARE(s.pixel(client.topLeft() + QPoint(90, 110)) & 0xFFFFFF, qRgb(255, 255, 255) & 0xFFFFFF);
    QCOMPARE(cellColour(s, 2, 3), qRgb(255, 255, 255) & 0xFFFFFF);
}

void EditingE2E::gammaStepsACell()
{
    clickToolbar(10); // Adjust Gamma
    const QPoint p = cellCentre(20, 20);
    session.click(p.x(), p.y(), 1);
    const QImage s = shot();
    QCOMPARE(cellColour(s, 20, 20), qRgb(15, 15, 15) & 0xFFFFFF);
    s.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-editing.png"));
}

QTEST_GUILESS_MAIN(EditingE2E)
#include "tst_e2e_editing.moc"
