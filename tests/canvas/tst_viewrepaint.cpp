// What a pointer move costs on screen: the view repaints only what changed (the cell a
// brush commits, the popup's old and new rectangles), and the view's pixels stay those
// of a full clear-and-redraw.
#include "canvas/PortraitCanvas.h"
#include "canvas/RgbPopup.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace Portrait;

class ViewRepaintTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void moveRepaintsOnlyChanges_data();
    void moveRepaintsOnlyChanges();
    void viewEqualsFullRedraw_data();
    void viewEqualsFullRedraw();
    void directDrawingIntoTheViewIsRedrawnWhole();
    void drawtoBBMatchesCellByCellRendering_data();
    void drawtoBBMatchesCellByCellRendering();

private:
    PictureBox* box() const { return window->picFaceBox(); }
    QPoint at(QPoint view) const { return view + box()->clientOrigin(); }
};

void ViewRepaintTest::init()
{
    QVERIFY(openWindow());
    window->state().CurrentTool = QStringLiteral("Brush");
    window->state().FGColor = RGBColour(250, 20, 20);
}

void ViewRepaintTest::cleanup()
{
    QTest::mouseRelease(box(), Qt::LeftButton); // Qt Test would keep it pressed for the next test
    window.reset();
}

void ViewRepaintTest::moveRepaintsOnlyChanges_data()
{
    QTest::addColumn<bool>("press");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("move without commit") << false << QPoint(100, 100) << QPoint(160, 130);
    QTest::newRow("committing press") << true << QPoint(100, 100) << QPoint(160, 130);
    QTest::newRow("commit far from the popup") << true << QPoint(20, 20) << QPoint(300, 400);
    QTest::newRow("commit at the edge, popup clipped") << true << QPoint(370, 20) << QPoint(380, 440);
}

void ViewRepaintTest::moveRepaintsOnlyChanges()
{
    QFETCH(bool, press);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QTest::mouseMove(box(), at(from));
    QCoreApplication::processEvents();
    const int popupWidth = RgbPopup::widthFor(int(QStringLiteral("RGB(255,255,255)").size()));
    box()->resetPaintStats();

    if (press)
        QTest::mousePress(box(), Qt::LeftButton, Qt::NoModifier, at(to));
    else
        QTest::mouseMove(box(), at(to));
    QTRY_VERIFY(box()->paintEvents() > 0);
    QCoreApplication::processEvents();

    const QRect cell(cellOf(float(to.x())) * Zoom, cellOf(float(to.y())) * Zoom, Zoom, Zoom);
    const QRect view(0, 0, ViewWidth, ViewHeight);
    QRegion allowed = QRegion(QRect(from + QPoint(8, 8), QSize(popupWidth, 21)).intersected(view)) +
                      QRect(to + QPoint(8, 8), QSize(popupWidth, 21)).intersected(view);
    if (press)
        allowed += cell;
    allowed.translate(box()->clientOrigin());
    const QRegion painted = box()->paintedRegion();
    QVERIFY2((painted - allowed).isEmpty(), "painted outside the cell and the popups");
    if (press)
        QVERIFY2((QRegion(cell.translated(box()->clientOrigin())) - painted).isEmpty(),
                 "the cell was not painted");
    QVERIFY(box()->paintedArea() <= Zoom * Zoom + 2 * popupWidth * 21);
    QVERIFY(box()->paintedArea() < ViewWidth * ViewHeight / 10);
    if (press)
        QTest::mouseRelease(box(), Qt::LeftButton, Qt::NoModifier, at(to));
}

void ViewRepaintTest::viewEqualsFullRedraw_data()
{
    QTest::addColumn<bool>("grid");
    QTest::newRow("grid on") << true;
    QTest::newRow("grid off") << false;
}

void ViewRepaintTest::viewEqualsFullRedraw()
{
    QFETCH(bool, grid);
    PortraitCanvas& canvas = window->canvas();
    canvas.setGridSource([grid] { return grid; });
    // A portrait of many colours, replaced whole: the moves before the stroke find the
    // view rendered from it and the back buffer not yet written out.
    canvas.loadPortrait(TestSupport::patternImage(Width, Height));
    canvas.clearView();
    canvas.RedrawFace();
    const auto moveAndCompare = [&](QPoint p) {
        QTest::mouseMove(box(), at(p));
        const QImage shown = canvas.picFace().image().copy();
        window->RedrawRGB(); // a full clear and redraw, then the popup at the same place
        QCOMPARE(shown, canvas.picFace().image());
        const QPoint cell(cellOf(float(p.x())), cellOf(float(p.y())));
        const Colour c = canvas.picPreview().pixel(cell.x(), cell.y());
        QCOMPARE(window->stbMain()->panelText(2),
                 QStringLiteral("RGB(%1,%2,%3)").arg(redOf(c)).arg(greenOf(c)).arg(blueOf(c)));
    };
    for (const QPoint& p : {QPoint(120, 120), QPoint(126, 131), QPoint(300, 20)})
        moveAndCompare(p);
    // A stroke over several cells, then moves that only track; after each step the view
    // must equal a full redraw (plus the popup where one shows).
    const QList<QPoint> stroke{{40, 40}, {48, 41}, {90, 70}, {95, 75}, {383, 447}, {0, 0}};
    QTest::mousePress(box(), Qt::LeftButton, Qt::NoModifier, at(stroke.first()));
    for (const QPoint& p : stroke) {
        QTest::mouseMove(box(), at(p));
        const QImage shown = canvas.picFace().image().copy();
        // After a commit the popup shows again at the pointer, with the cell's new colour.
        canvas.clearView();
        window->RedrawRGB();
        QCOMPARE(shown, canvas.picFace().image());
    }
    QTest::mouseRelease(box(), Qt::LeftButton, Qt::NoModifier, at(stroke.last()));
    for (const QPoint& p : {QPoint(200, 200), QPoint(210, 205), QPoint(10, 430)})
        moveAndCompare(p);
    // The back buffer, written out now, is the portrait magnified.
    const QImage& back = canvas.picBackBuffer().image();
    for (int y = 0; y < ViewHeight; ++y)
        for (int x = 0; x < ViewWidth; ++x)
            if (TestSupport::pixelAt(back, x, y) != canvas.picPreview().pixel(x / Zoom, y / Zoom))
                QFAIL(qPrintable(QStringLiteral("back buffer differs at (%1, %2)").arg(x).arg(y)));
}

void ViewRepaintTest::directDrawingIntoTheViewIsRedrawnWhole()
{
    // Whoever draws into the view behind the canvas's back still sees it repaired.
    PortraitCanvas& canvas = window->canvas();
    QTest::mouseMove(box(), at(QPoint(50, 50)));
    canvas.picFace().fillRect(QRect(300, 300, 20, 20), RGBColour(1, 2, 3));
    canvas.picBackBuffer().fillRect(QRect(0, 400, 8, 8), RGBColour(4, 5, 6));
    QTest::mouseMove(box(), at(QPoint(60, 60)));
    QCOMPARE(canvas.picFace().pixel(310, 310), canvas.picBackBuffer().pixel(310, 310));
    QCOMPARE(canvas.picFace().pixel(3, 403), RGBColour(4, 5, 6));
}

void ViewRepaintTest::drawtoBBMatchesCellByCellRendering_data()
{
    QTest::addColumn<bool>("grid");
    QTest::addColumn<bool>("gridTouched");
    QTest::newRow("grid on") << true << false;
    QTest::newRow("grid off") << false << false;
    QTest::newRow("grid drawn over by hand") << true << true;
}

void ViewRepaintTest::drawtoBBMatchesCellByCellRendering()
{
    QFETCH(bool, grid);
    QFETCH(bool, gridTouched);
    PortraitCanvas canvas;
    canvas.setGridSource([grid] { return grid; });
    canvas.DrawGrid();
    if (gridTouched)
        canvas.picGrid().fillRect(QRect(3, 3, 2, 2), RGBColour(7, 8, 9));
    QImage store(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            store.setPixel(x, y, qRgb(x * 5, y * 4, (x * y) & 255));
    store.setPixel(5, 5, toQRgb(PortraitCanvas::GridKeyColour)); // the key colour as a portrait colour
    canvas.picPreview().copyFrom(store, 0, 0, Width, Height);
    canvas.DrawtoBB();
    const QRgb key = toQRgb(PortraitCanvas::GridKeyColour);
    for (int y = 0; y < ViewHeight; ++y)
        for (int x = 0; x < ViewWidth; ++x) {
            const QRgb cell = store.pixel(x / Zoom, y / Zoom) | 0xFF000000u;
            const QRgb line = canvas.picGrid().image().pixel(x, y);
            const QRgb expected = grid && line != key ? line : cell;
            if (canvas.picBackBuffer().image().pixel(x, y) != cell ||
                canvas.picFace().image().pixel(x, y) != expected)
                QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
        }
    // The swatch is left as the last cell's fill left it.
    QCOMPARE(canvas.picRGB().backColor(), fromQRgb(store.pixel(Width - 1, Height - 1)));
}

QTEST_MAIN(ViewRepaintTest)
#include "tst_viewrepaint.moc"
