#include "canvas/Magnifier.h"
#include "canvas/PortraitCanvas.h"
#include "document/PortraitDocument.h"
#include "document/PortraitGeometry.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QtTest>

using namespace Portrait;

namespace {
// The view at the zoom it starts at.
constexpr int Zoom = PortraitCanvas::StartZoom;
constexpr int ViewWidth = Width * Zoom;
constexpr int ViewHeight = Height * Zoom;
} // namespace

class PortraitCanvasTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void startsBlackUnderBlueOverlay();
    void gridTable_data();
    void gridTable();
    void drawGridAgainIsIdentical();
    void viewWithGrid_data();
    void viewWithGrid();
    void gridOverABluePortraitStillShowsLines();
    void gridOffShowsNoLine();
    void cellMapping_data();
    void cellMapping();
    void drawtoBBGivesSolidBlocks();
    void enlargedMatchesNearestNeighbour_data();
    void enlargedMatchesNearestNeighbour();
    void clearAndRedrawRemovesStaleOverlay();
    void commitKeepsStoreBackBufferAndViewInStep();
    void commitCellsIsOneChange();
    void openedPictureIsCroppedTopLeftOverBackground();
    void newClearsToColour();

private:
    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    bool grid = true;
};

void PortraitCanvasTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    grid = true;
    canvas->setGridSource([this] { return grid; });
    canvas->layoutSurfaces();
    canvas->DrawGrid();
}

void PortraitCanvasTest::startsBlackUnderBlueOverlay()
{
    QCOMPARE(document->picPreview().size(), QSize(48, 56));
    QCOMPARE(canvas->picBackBuffer().size(), QSize(384, 448));
    QCOMPARE(canvas->picFace().size(), QSize(384, 448));
    QCOMPARE(document->picPreview().pixel(10, 10), Colour(0));
    QCOMPARE(canvas->picBackBuffer().pixel(100, 100), Colour(0));
    QCOMPARE(canvas->picGrid().pixel(1, 1), PortraitCanvas::GridKeyColour);
}

void PortraitCanvasTest::gridTable_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("line");
    QTest::newRow("origin") << 0 << 0 << true;
    QTest::newRow("first column, last row") << 0 << 447 << true;
    QTest::newRow("column 8") << 8 << 3 << true;
    QTest::newRow("last vertical line") << 376 << 447 << true;
    QTest::newRow("last horizontal line") << 383 << 440 << true;
    QTest::newRow("no closing column") << 383 << 5 << false;
    QTest::newRow("no closing row") << 5 << 447 << false;
    QTest::newRow("bottom-right corner") << 383 << 447 << false;
    QTest::newRow("inside a cell") << 1 << 1 << false;
    QTest::newRow("column 7") << 7 << 3 << false;
    QTest::newRow("column 9") << 9 << 3 << false;
}

void PortraitCanvasTest::gridTable()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, line);
    QCOMPARE(canvas->picGrid().pixel(x, y),
             line ? PortraitCanvas::GridLineColour : PortraitCanvas::GridKeyColour);
}

void PortraitCanvasTest::drawGridAgainIsIdentical()
{
    const QImage first = canvas->picGrid().image().copy();
    canvas->DrawGrid();
    QCOMPARE(canvas->picGrid().image(), first);
    int lines = 0;
    for (int y = 0; y < ViewHeight; ++y)
        for (int x = 0; x < ViewWidth; ++x)
            lines += canvas->picGrid().pixel(x, y) == PortraitCanvas::GridLineColour;
    // 48 full columns and 56 full rows, crossings counted once.
    QCOMPARE(lines, 48 * 448 + 56 * 384 - 48 * 56);
}

void PortraitCanvasTest::viewWithGrid_data()
{
    gridTable_data();
}

void PortraitCanvasTest::viewWithGrid()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, line);
    document->setCell(47, 55, RGBColour(200, 10, 10));
    document->setCell(0, 0, RGBColour(10, 200, 10));
    canvas->DrawtoBB();
    const QPoint at = canvas->cellAt(QPointF(x, y));
    const Colour cell = document->picPreview().pixel(at.x(), at.y());
    QCOMPARE(canvas->picFace().pixel(x, y), line ? PortraitCanvas::GridLineColour : cell);
}

void PortraitCanvasTest::gridOverABluePortraitStillShowsLines()
{
    document->newPortrait(PortraitCanvas::GridKeyColour);
    QCOMPARE(canvas->picFace().pixel(8, 8), PortraitCanvas::GridLineColour);
    QCOMPARE(canvas->picFace().pixel(9, 9), PortraitCanvas::GridKeyColour);
}

void PortraitCanvasTest::gridOffShowsNoLine()
{
    canvas->RedrawFace();
    grid = false;
    canvas->RedrawFace();
    for (int y = 0; y < ViewHeight; y += 4)
        for (int x = 0; x < ViewWidth; x += 4)
            QCOMPARE(canvas->picFace().pixel(x, y), Colour(0));
}

void PortraitCanvasTest::cellMapping_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QPoint>("cell");
    QTest::newRow("last pixel") << 383.f << 447.f << QPoint(47, 55);
    QTest::newRow("second cell") << 8.f << 0.f << QPoint(1, 0);
    QTest::newRow("just before") << 7.9f << 15.99f << QPoint(0, 1);
    QTest::newRow("left of the view") << -0.5f << 3.f << QPoint(-1, 0);
    QTest::newRow("far left") << -9.f << -17.f << QPoint(-2, -3);
    QTest::newRow("past the right") << 384.f << 30.f << QPoint(48, 3);
}

void PortraitCanvasTest::cellMapping()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QPoint, cell);
    QCOMPARE(canvas->cellAt(QPointF(x, y)), cell);
}

void PortraitCanvasTest::drawtoBBGivesSolidBlocks()
{
    const QImage pattern = TestSupport::patternImage(48, 56);
    document->loadPortrait(pattern);
    canvas->DrawtoBB();
    for (int cy = 0; cy < Height; ++cy)
        for (int cx = 0; cx < Width; ++cx) {
            const Colour expected = fromQRgb(pattern.pixel(cx, cy));
            for (int dy = 0; dy < Zoom; ++dy)
                for (int dx = 0; dx < Zoom; ++dx)
                    if (canvas->picBackBuffer().pixel(cx * Zoom + dx, cy * Zoom + dy) != expected)
                        QFAIL(qPrintable(QString("block %1,%2 not solid").arg(cx).arg(cy)));
        }
}

void PortraitCanvasTest::enlargedMatchesNearestNeighbour_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QImage::Format>("format");
    // Zooms the view does not use go the general way, the view's own the unrolled one.
    QTest::newRow("x1 RGB32") << 1 << QImage::Format_RGB32;
    QTest::newRow("x3 RGB32 (dialog preview)") << 3 << QImage::Format_RGB32;
    QTest::newRow("x8 RGB32") << 8 << QImage::Format_RGB32;
    QTest::newRow("x16 ARGB32") << 16 << QImage::Format_ARGB32;
    QTest::newRow("x5 RGB888") << 5 << QImage::Format_RGB888;
}

// The portrait enlarged outside the view is the same blocks as Qt's nearest-neighbour
// scaling gives: the row stride and format conversions are right.
void PortraitCanvasTest::enlargedMatchesNearestNeighbour()
{
    QFETCH(int, zoom);
    QFETCH(QImage::Format, format);
    const QImage picture = TestSupport::patternImage(Width, Height).convertToFormat(format);
    const QImage expected =
        picture.scaled(picture.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .convertToFormat(QImage::Format_RGB32);
    const QImage got = Magnifier::enlarged(picture, zoom);
    QCOMPARE(got.format(), QImage::Format_RGB32);
    QCOMPARE(got, expected);
}

void PortraitCanvasTest::clearAndRedrawRemovesStaleOverlay()
{
    document->newPortrait(RGBColour(90, 60, 30));
    QImage face(88, 21, QImage::Format_RGB32);
    face.fill(Qt::white);
    canvas->showPopup(face, QPoint(100, 50), 255);
    QCOMPARE(canvas->picFace().pixel(101, 51), RGBColour(255, 255, 255));
    canvas->RedrawFace();
    QCOMPARE(canvas->picFace().pixel(101, 51), RGBColour(90, 60, 30));
    QCOMPARE(canvas->picFace().pixel(104, 56), PortraitCanvas::GridLineColour);
}

void PortraitCanvasTest::commitKeepsStoreBackBufferAndViewInStep()
{
    QSignalSpy changed(document.get(), &PortraitDocument::changed);
    document->setCell(1, 2, RGBColour(12, 34, 56));
    QCOMPARE(document->picPreview().pixel(1, 2), RGBColour(12, 34, 56));
    for (int y = 16; y < 24; ++y)
        for (int x = 8; x < 16; ++x)
            QCOMPARE(canvas->picBackBuffer().pixel(x, y), RGBColour(12, 34, 56));
    QCOMPARE(canvas->picBackBuffer().pixel(16, 16), Colour(0));
    QCOMPARE(canvas->picFace().pixel(9, 17), RGBColour(12, 34, 56));
    QCOMPARE(canvas->picFace().pixel(8, 16), PortraitCanvas::GridLineColour);
    QCOMPARE(changed.count(), 1);
}

void PortraitCanvasTest::commitCellsIsOneChange()
{
    QSignalSpy changed(document.get(), &PortraitDocument::changed);
    document->setCells({{0, 0}, {47, 55}}, RGBColour(1, 2, 3));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(document->picPreview().pixel(47, 55), RGBColour(1, 2, 3));
    QCOMPARE(canvas->picFace().pixel(383, 447), RGBColour(1, 2, 3));
    document->setCells({}, RGBColour(1, 2, 3));
    QCOMPARE(changed.count(), 1);
}

void PortraitCanvasTest::openedPictureIsCroppedTopLeftOverBackground()
{
    QImage wide(48, 40, QImage::Format_RGB32);
    wide.fill(qRgb(255, 0, 0));
    document->newPortrait(RGBColour(0, 0, 9));
    document->loadPortrait(wide);
    QCOMPARE(document->picPreview().pixel(0, 39), RGBColour(255, 0, 0));
    QCOMPARE(document->picPreview().pixel(0, 40), RGBColour(0, 0, 9));
    QCOMPARE(canvas->picBackBuffer().pixel(5, 8 * 40 + 1), RGBColour(0, 0, 9));
}

void PortraitCanvasTest::newClearsToColour()
{
    document->setCell(3, 3, RGBColour(255, 255, 255));
    document->newPortrait(RGBColour(0, 128, 0));
    QCOMPARE(document->picPreview().pixel(3, 3), RGBColour(0, 128, 0));
    QCOMPARE(canvas->picBackBuffer().pixel(25, 25), RGBColour(0, 128, 0));
    QCOMPARE(canvas->picFace().pixel(25, 25), RGBColour(0, 128, 0));
}

QTEST_MAIN(PortraitCanvasTest)
#include "tst_portraitcanvas.moc"
