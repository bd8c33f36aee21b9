// What a pointer move costs on screen: the view repaints only what changed (the cell a
// brush commits, the popup's old and new rectangles), and what the screen shows after
// those partial repaints is the view's whole rendering.
#include "canvas/PortraitCanvas.h"
#include "canvas/RgbPopup.h"
#include "document/PortraitDocument.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

using namespace Portrait;

namespace {
constexpr int Zoom = PortraitCanvas::StartZoom;
constexpr int ViewWidth = Width * Zoom;
constexpr int ViewHeight = Height * Zoom;
int cellOf(float v)
{
    return int(std::floor(v / Zoom));
}
} // namespace

class ViewRepaintTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void moveRepaintsOnlyChanges_data();
    void moveRepaintsOnlyChanges();
    void viewEqualsFullRedraw_data();
    void viewEqualsFullRedraw();
    void screenShowsTheRenderingAfterEveryKindOfChange();
    void drawtoBBMatchesCellByCellRendering_data();
    void drawtoBBMatchesCellByCellRendering();

private:
    PictureBox* box() const { return window->picFaceBox(); }
    QPoint at(QPoint view) const { return view + box()->clientOrigin(); }
    // The part of the view in sight (where the view scrolls, not all of it).
    QRect viewInSight() const
    {
        QWidget* port = window->viewScroller()->viewport();
        const QRect seen(box()->mapFrom(port, QPoint(0, 0)), port->size());
        return seen.intersected(QRect(box()->clientOrigin(), window->canvas().viewSize()))
            .translated(-box()->clientOrigin());
    }
    // What the window's backing store holds of the view once every repaint asked for is
    // done, beside the view's whole rendering of the same part.
    bool screenShowsRendering() const
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const QImage shot =
            window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QRect part = viewInSight();
        return shot.copy(part.translated(box()->mapTo(window.get(), box()->clientOrigin()))) ==
               window->canvas().picFace().image().copy(part);
    }
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
    QTest::newRow("commit at the edge, popup turned back") << true << QPoint(370, 20) << QPoint(380, 440);
}

void ViewRepaintTest::moveRepaintsOnlyChanges()
{
    QFETCH(bool, press);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QTest::mouseMove(box(), at(from));
    QCoreApplication::processEvents();
    const int popupWidth = RgbPopup::widthFor(int(QStringLiteral("RGB(255,255,255)").size()));
    const QRect popupBefore = window->canvas().popupRect();
    QVERIFY(!popupBefore.isEmpty());
    box()->resetPaintStats();

    if (press)
        QTest::mousePress(box(), Qt::LeftButton, Qt::NoModifier, at(to));
    else
        QTest::mouseMove(box(), at(to));
    QTRY_VERIFY(box()->paintEvents() > 0);
    QCoreApplication::processEvents();

    const QRect cell(cellOf(float(to.x())) * Zoom, cellOf(float(to.y())) * Zoom, Zoom, Zoom);
    const QRect popupAfter = window->canvas().popupRect();
    QCOMPARE(popupAfter.topLeft(), RgbPopup::placeAt(float(to.x()), float(to.y()), popupAfter.size(),
                                                     QSize(ViewWidth, ViewHeight)));
    QRegion allowed = QRegion(popupBefore) + popupAfter;
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
    canvas.RedrawFace();
    // A portrait of many colours, replaced whole.
    window->document().loadPortrait(TestSupport::patternImage(Width, Height));
    const auto moveAndCompare = [&](QPoint p) {
        QTest::mouseMove(box(), at(p));
        QVERIFY(screenShowsRendering());
        const QPoint cell(cellOf(float(p.x())), cellOf(float(p.y())));
        const Colour c = window->document().picPreview().pixel(cell.x(), cell.y());
        QCOMPARE(window->stbMain()->panelText(2),
                 QStringLiteral("RGB(%1,%2,%3)").arg(redOf(c)).arg(greenOf(c)).arg(blueOf(c)));
    };
    for (const QPoint& p : {QPoint(120, 120), QPoint(126, 131), QPoint(300, 20)})
        moveAndCompare(p);
    // A stroke over several cells, then moves that only track; after each step the screen
    // must show the whole rendering, popup and all.
    const QList<QPoint> stroke{{40, 40}, {48, 41}, {90, 70}, {95, 75}, {383, 447}, {0, 0}};
    QTest::mousePress(box(), Qt::LeftButton, Qt::NoModifier, at(stroke.first()));
    for (const QPoint& p : stroke) {
        QTest::mouseMove(box(), at(p));
        QVERIFY(screenShowsRendering());
    }
    QTest::mouseRelease(box(), Qt::LeftButton, Qt::NoModifier, at(stroke.last()));
    for (const QPoint& p : {QPoint(200, 200), QPoint(210, 205), QPoint(10, 430)})
        moveAndCompare(p);
    // The back buffer is the portrait magnified.
    const QImage& back = canvas.picBackBuffer().image();
    for (int y = 0; y < ViewHeight; ++y)
        for (int x = 0; x < ViewWidth; ++x)
            if (TestSupport::pixelAt(back, x, y) != window->document().picPreview().pixel(x / Zoom, y / Zoom))
                QFAIL(qPrintable(QStringLiteral("back buffer differs at (%1, %2)").arg(x).arg(y)));
}

void ViewRepaintTest::screenShowsTheRenderingAfterEveryKindOfChange()
{
    // Each change repaints only part of the view, or all of it; either way the screen
    // ends as the whole rendering.
    PortraitCanvas& canvas = window->canvas();
    window->document().loadPortrait(TestSupport::patternImage(Width, Height));
    QTest::mouseMove(box(), at(QPoint(50, 50)));
    QVERIFY(screenShowsRendering());
    const std::function<void()> changes[] = {
        [&] { window->tlbMain()->buttonByTag(QStringLiteral("Grid"))->trigger(); }, // grid off
        [&] { window->zoomInAction()->trigger(); },
        [&] { // where the screen has no room for the whole view, it scrolls
            QScrollBar* bar = window->viewScroller()->verticalScrollBar();
            QVERIFY(bar->maximum() > 0);
            bar->setValue(bar->maximum());
        },
        [&] { QTest::mouseClick(box(), Qt::LeftButton, {}, at(QPoint(100, 100))); },
        [&] { window->picFace_KeyDown(Qt::Key_Right, 0); },                         // the cell cursor
        [&] { window->tlbMain()->buttonByTag(QStringLiteral("Grid"))->trigger(); }, // grid on
        [&] { window->picFace_KeyDown(Qt::Key_Control, ShiftMask::Ctrl); },
        [&] { window->zoomOutAction()->trigger(); },
        [&] { window->zoomOutAction()->trigger(); },
        [&] { window->document().undo(); },
        [&] { QTest::mouseMove(window.get(), QPoint(245, 300)); }, // the window's background
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        QVERIFY2(screenShowsRendering(), qPrintable(QStringLiteral("after change %1").arg(i)));
    }
    QCOMPARE(canvas.zoom(), 6);
}

void ViewRepaintTest::drawtoBBMatchesCellByCellRendering_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<bool>("gridTouched");
    QTest::newRow("grid on") << 8 << true << false;
    QTest::newRow("grid off") << 8 << false << false;
    QTest::newRow("grid drawn over by hand") << 8 << true << true;
    QTest::newRow("zoom 4") << 4 << true << false;
    QTest::newRow("zoom 6") << 6 << true << false;
    QTest::newRow("zoom 12") << 12 << true << false;
    QTest::newRow("zoom 16, grid off") << 16 << false << false;
}

void ViewRepaintTest::drawtoBBMatchesCellByCellRendering()
{
    QFETCH(int, zoom);
    QFETCH(bool, grid);
    QFETCH(bool, gridTouched);
    PortraitDocument document;
    PortraitCanvas canvas(document);
    canvas.setGridSource([grid] { return grid; });
    QVERIFY(canvas.setZoom(zoom) || zoom == canvas.zoom());
    canvas.DrawGrid();
    if (gridTouched)
        canvas.picGrid().fillRect(QRect(3, 3, 2, 2), RGBColour(7, 8, 9));
    QImage store(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            store.setPixel(x, y, qRgb(x * 5, y * 4, (x * y) & 255));
    store.setPixel(5, 5, toQRgb(PortraitCanvas::GridKeyColour)); // the key colour as a portrait colour
    document.loadPortrait(store);
    canvas.DrawtoBB();
    const QRgb key = toQRgb(PortraitCanvas::GridKeyColour);
    QCOMPARE(canvas.picFace().size(), QSize(Width * zoom, Height * zoom));
    QCOMPARE(canvas.picGrid().size(), QSize(Width * zoom, Height * zoom));
    for (int y = 0; y < Height * zoom; ++y)
        for (int x = 0; x < Width * zoom; ++x) {
            const QRgb cell = store.pixel(x / zoom, y / zoom) | 0xFF000000u;
            const QRgb line = canvas.picGrid().image().pixel(x, y);
            const QRgb expected = grid && line != key ? line : cell;
            if (canvas.picBackBuffer().image().pixel(x, y) != cell ||
                canvas.picFace().image().pixel(x, y) != expected)
                QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
        }
    // The grid's lines lie on the first row and column of every cell at this zoom.
    if (!gridTouched) {
        QCOMPARE(canvas.picGrid().pixel(zoom, 1), PortraitCanvas::GridLineColour);
        QCOMPARE(canvas.picGrid().pixel(zoom + 1, 1), PortraitCanvas::GridKeyColour);
        QCOMPARE(canvas.picGrid().pixel(1, 55 * zoom), PortraitCanvas::GridLineColour);
    }
}

QTEST_MAIN(ViewRepaintTest)
#include "tst_viewrepaint.moc"
