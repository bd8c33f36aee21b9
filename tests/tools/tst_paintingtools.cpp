#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "tools/PaintingTools.h"
#include "tools/ToolEnvironment.h"

#include <QApplication>
#include <QtTest>

namespace {

using Well = ToolEnvironment::Well;

class FakeEnvironment : public ToolEnvironment {
public:
    QString cell, colour, colourTip;
    QPixmap swatch;
    bool useFGBG = false;
    bool overView = false;
    ViewCursor cursor = ViewCursor::Crosshair;
    QList<QPair<Well, Colour>> picks;
    int popupSteps = 0, popupRedraws = 0;

    void showCell(const QString& t) override { cell = t; }
    void showColour(const QPixmap& s, const QString& t, const QString& tip) override
    {
        swatch = s;
        colour = t;
        colourTip = tip;
    }
    bool useForegroundBackgroundForReplace() const override { return useFGBG; }
    bool pointerOverView() const override { return overView; }
    void setViewCursor(ViewCursor c) override { cursor = c; }
    void pickColour(Well w, Colour c) override { picks.append({w, c}); }
    void popupStep(int, float, float) override { ++popupSteps; }
    void redrawPopup() override { ++popupRedraws; }
};

constexpr Colour White = RGBColour(255, 255, 255);
constexpr Colour Red = RGBColour(255, 0, 0);
constexpr Colour Green = RGBColour(0, 255, 0);

} // namespace

Q_DECLARE_METATYPE(Well)

class PaintingToolsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void clickPaintsTheCellUnderThePointer();
    void brushButtons_data();
    void brushButtons();
    void replacePairs_data();
    void replacePairs();
    void gammaClamps_data();
    void gammaClamps();
    void gammaStepsOncePerCellPerStroke();
    void grabColourModifierTable_data();
    void grabColourModifierTable();
    void fillRegions_data();
    void fillRegions();
    void fillOncePerPressAndNotOnDrag();
    void toleranceOnNoisyPortrait_data();
    void toleranceOnNoisyPortrait();
    void trackingTexts_data();
    void trackingTexts();
    void failedReadKeepsPreviousColour();
    void swatchIsFramedSquareOfTheColour();
    void ctrlAloneRedrawsPopup_data();
    void ctrlAloneRedrawsPopup();
    void dragAroundOutsideTheViewPaintsOnlyTheWayBackIn();
    void fastDragPaintsConnectedLine_data();
    void fastDragPaintsConnectedLine();
    void gammaStepsEachCellOncePerSegment();
    void dragOffTheEdgePaintsUpToIt();

private:
    void cellAt(int x, int y, Colour c) { document->setCell(x, y, c); }
    void clickCell(int x, int y, int button, int shift = 0)
    {
        tools->picFace_MouseDown(button, shift, x * 8 + 3.5f, y * 8 + 3.5f);
        tools->picFace_MouseUp(button, shift, x * 8 + 3.5f, y * 8 + 3.5f);
    }
    bool blockIs(int cx, int cy, Colour c) const
    {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (canvas->picBackBuffer().pixel(cx * 8 + x, cy * 8 + y) != c)
                    return false;
        return document->picPreview().pixel(cx, cy) == c;
    }

    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    EditingState state;
    FakeEnvironment env;
    std::unique_ptr<PaintingTools> tools;
};

void PaintingToolsTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    canvas->setGridSource([] { return true; });
    canvas->DrawGrid();
    state = EditingState{};
    env = FakeEnvironment{};
    tools = std::make_unique<PaintingTools>(*document, *canvas, state, env);
}

void PaintingToolsTest::clickPaintsTheCellUnderThePointer()
{
    tools->picFace_MouseDown(1, 0, 10, 20);
    tools->picFace_MouseUp(1, 0, 10, 20);
    QVERIFY(blockIs(1, 2, White));
    QCOMPARE(canvas->picBackBuffer().pixel(16, 16), Colour(0));
    QCOMPARE(canvas->picBackBuffer().pixel(7, 16), Colour(0));
    QCOMPARE(canvas->picFace().pixel(9, 17), White);
    QCOMPARE(tools->MouseIsDown(), std::int16_t(0));
}

void PaintingToolsTest::brushButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<Colour>("expected");
    QTest::newRow("left paints foreground") << 1 << Red;
    QTest::newRow("right paints background") << 2 << Green;
    QTest::newRow("middle paints nothing") << 4 << Colour(0);
    QTest::newRow("left and right together paint nothing") << 3 << Colour(0);
}

void PaintingToolsTest::brushButtons()
{
    QFETCH(int, button);
    QFETCH(Colour, expected);
    state.FGColor = Red;
    state.BGColor = Green;
    tools->picFace_MouseDown(button, 0, 44, 52);
    tools->picFace_MouseUp(button, 0, 44, 52);
    QCOMPARE(document->picPreview().pixel(5, 6), expected);
}

void PaintingToolsTest::replacePairs_data()
{
    QTest::addColumn<bool>("useFGBG");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("cellHolds"); // which colour the cell starts with
    QTest::addColumn<QString>("becomes");   // "" = unchanged
    QTest::newRow("pair, left, finds R2") << false << 1 << "R2"
                                          << "R1";
    QTest::newRow("pair, left, ignores R1") << false << 1 << "R1"
                                            << "";
    QTest::newRow("pair, right, finds R1") << false << 2 << "R1"
                                           << "R2";
    QTest::newRow("pair, middle, finds R1") << false << 4 << "R1"
                                            << "R2";
    QTest::newRow("pair, right, ignores other") << false << 2 << "other"
                                                << "";
    QTest::newRow("FG/BG, left, finds BG") << true << 1 << "BG"
                                           << "FG";
    QTest::newRow("FG/BG, left, ignores R2") << true << 1 << "R2"
                                             << "";
    QTest::newRow("FG/BG, right, finds FG") << true << 2 << "FG"
                                            << "BG";
    QTest::newRow("FG/BG, right, ignores BG") << true << 2 << "BG"
                                              << "";
}

void PaintingToolsTest::replacePairs()
{
    QFETCH(bool, useFGBG);
    QFETCH(int, button);
    QFETCH(QString, cellHolds);
    QFETCH(QString, becomes);
    state.FGColor = RGBColour(1, 1, 1);
    state.BGColor = RGBColour(2, 2, 2);
    state.R1Color = RGBColour(3, 3, 3);
    state.R2Color = RGBColour(4, 4, 4);
    const QMap<QString, Colour> named{{"FG", state.FGColor},
                                      {"BG", state.BGColor},
                                      {"R1", state.R1Color},
                                      {"R2", state.R2Color},
                                      {"other", RGBColour(9, 9, 9)}};
    env.useFGBG = useFGBG;
    state.CurrentTool = "Replace";
    cellAt(7, 7, named[cellHolds]);
    clickCell(7, 7, button);
    QCOMPARE(document->picPreview().pixel(7, 7), becomes.isEmpty() ? named[cellHolds] : named[becomes]);
    QVERIFY(blockIs(7, 7, document->picPreview().pixel(7, 7)));
}

void PaintingToolsTest::gammaClamps_data()
{
    QTest::addColumn<Colour>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("button");
    QTest::addColumn<Colour>("expected");
    QTest::newRow("brighter, red clamps") << RGBColour(250, 10, 100) << 15 << 1 << RGBColour(255, 25, 115);
    QTest::newRow("darker, green clamps") << RGBColour(250, 10, 100) << 15 << 2 << RGBColour(235, 0, 85);
    QTest::newRow("step 0 keeps the colour") << RGBColour(12, 34, 56) << 0 << 1 << RGBColour(12, 34, 56);
    QTest::newRow("middle button steps by 0") << RGBColour(12, 34, 56) << 15 << 4 << RGBColour(12, 34, 56);
    QTest::newRow("full step from black") << Colour(0) << 255 << 1 << White;
    QTest::newRow("full step down from white") << White << 255 << 2 << Colour(0);
}

void PaintingToolsTest::gammaClamps()
{
    QFETCH(Colour, start);
    QFETCH(int, step);
    QFETCH(int, button);
    QFETCH(Colour, expected);
    state.CurrentTool = "Gamma";
    state.GammaStep = std::uint8_t(step);
    cellAt(3, 4, start);
    clickCell(3, 4, button);
    QCOMPARE(document->picPreview().pixel(3, 4), expected);
    QVERIFY(blockIs(3, 4, expected));
}

void PaintingToolsTest::gammaStepsOncePerCellPerStroke()
{
    state.CurrentTool = "Gamma";
    cellAt(2, 2, RGBColour(100, 100, 100));
    cellAt(3, 2, RGBColour(100, 100, 100));
    tools->picFace_MouseDown(1, 0, 17, 17);
    tools->picFace_MouseMove(1, 0, 18, 18);
    tools->picFace_MouseMove(1, 0, 22, 21);
    QCOMPARE(document->picPreview().pixel(2, 2), RGBColour(115, 115, 115));
    tools->picFace_MouseMove(1, 0, 25, 17); // into (3, 2)
    tools->picFace_MouseMove(1, 0, 20, 17); // back into (2, 2): stepped again
    QCOMPARE(document->picPreview().pixel(3, 2), RGBColour(115, 115, 115));
    QCOMPARE(document->picPreview().pixel(2, 2), RGBColour(130, 130, 130));
    tools->picFace_MouseUp(1, 0, 20, 17);
    QVERIFY(!tools->LastGammaCell());
    // The first cell of a new stroke is stepped, even the one stepped last.
    tools->picFace_MouseDown(1, 0, 20, 17);
    tools->picFace_MouseUp(1, 0, 20, 17);
    QCOMPARE(document->picPreview().pixel(2, 2), RGBColour(145, 145, 145));
}

void PaintingToolsTest::grabColourModifierTable_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("shift");
    QTest::addColumn<Well>("well");
    QTest::newRow("left") << 1 << 0 << Well::Foreground;
    QTest::newRow("left with Shift") << 1 << 1 << Well::Replace1;
    QTest::newRow("left with Ctrl") << 1 << 2 << Well::Replace1;
    QTest::newRow("left with Alt") << 1 << 4 << Well::Replace1;
    QTest::newRow("right") << 2 << 0 << Well::Background;
    QTest::newRow("right with Ctrl") << 2 << 2 << Well::Replace2;
    QTest::newRow("middle") << 4 << 0 << Well::Background;
    QTest::newRow("middle with Shift") << 4 << 1 << Well::Replace2;
}

void PaintingToolsTest::grabColourModifierTable()
{
    QFETCH(int, button);
    QFETCH(int, shift);
    QFETCH(Well, well);
    state.CurrentTool = "Selector";
    cellAt(10, 11, RGBColour(10, 20, 30));
    const QImage before = document->picPreview().image().copy();
    clickCell(10, 11, button, shift);
    QCOMPARE(env.picks.size(), 1);
    QCOMPARE(env.picks[0].first, well);
    QCOMPARE(env.picks[0].second, RGBColour(10, 20, 30));
    QCOMPARE(env.cursor, ToolEnvironment::ViewCursor::Eyedropper);
    QCOMPARE(document->picPreview().image(), before);
}

void PaintingToolsTest::fillRegions_data()
{
    QTest::addColumn<QStringList>("picture"); // rows of a 5 x 4 corner, '#' = red, '.' = black
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<int>("expectedFilled"); // cells turned white
    QTest::newRow("whole portrait") << QStringList{} << QPoint(20, 20) << 48 * 56;
    QTest::newRow("ring keeps its hole") << QStringList{"#####", "#...#", "#####"} << QPoint(0, 0) << 12;
    QTest::newRow("hole alone") << QStringList{"#####", "#...#", "#####"} << QPoint(2, 1) << 3;
    QTest::newRow("diagonals do not connect") << QStringList{"#.", ".#"} << QPoint(0, 0) << 1;
}

void PaintingToolsTest::fillRegions()
{
    QFETCH(QStringList, picture);
    QFETCH(QPoint, press);
    QFETCH(int, expectedFilled);
    for (int y = 0; y < picture.size(); ++y)
        for (int x = 0; x < picture[y].size(); ++x)
            if (picture[y][x] == '#')
                cellAt(x, y, Red);
    state.CurrentTool = "Fill";
    QSignalSpy changes(document.get(), &PortraitDocument::changed);
    clickCell(press.x(), press.y(), 1);
    QCOMPARE(changes.count(), 1);
    int white = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const Colour c = document->picPreview().pixel(x, y);
            white += c == White;
            QCOMPARE(canvas->picBackBuffer().pixel(x * 8 + 5, y * 8 + 5), c);
        }
    QCOMPARE(white, expectedFilled);
}

void PaintingToolsTest::fillOncePerPressAndNotOnDrag()
{
    state.CurrentTool = "Fill";
    state.FGColor = Red;
    QSignalSpy changes(document.get(), &PortraitDocument::changed);
    clickCell(0, 0, 1); // already red after this: a second press changes nothing
    clickCell(0, 0, 1);
    QCOMPARE(changes.count(), 1);
    cellAt(5, 5, Green);
    changes.clear();
    tools->picFace_MouseDown(4, 0, 1, 1); // the middle button fills nothing
    tools->picFace_MouseMove(1, 0, 43, 43);
    tools->picFace_MouseUp(1, 0, 43, 43);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(document->picPreview().pixel(5, 5), Green);
}

namespace {

constexpr Colour Flat = RGBColour(120, 80, 60);
constexpr QPoint OffInBlue(9, 10); // within 3 in red and green, 4 off in blue

// A flat area as a JPEG decode leaves it: every cell up to 3 levels above the colour in
// each channel (exactly the colour where y = x mod 4), next to an area 8 reds away.
QImage noisyPortrait()
{
    QImage image(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const int r = (x * 3 + y * 5) % 4, g = (x * 5 + y * 3) % 4, b = (x + y * 7) % 4;
            const int red = x < 24 ? 120 : 128;
            image.setPixel(x, y, qRgb(red + r, 80 + g, 60 + b));
        }
    image.setPixel(OffInBlue, qRgb(120, 80, 64));
    return image;
}

} // namespace

void PaintingToolsTest::toleranceOnNoisyPortrait_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<int>("changed");
    // Fill presses (5, 5), which has exactly the flat colour and no neighbour that does.
    QTest::newRow("fill, exact: the one cell") << "Fill" << 0 << 1;
    QTest::newRow("fill within 3: the whole area") << "Fill" << 3 << 24 * 56 - 1;
    // Replace drags along row 10, seeking the flat colour.
    QTest::newRow("replace, exact: its exact cells") << "Replace" << 0 << 6;
    QTest::newRow("replace within 3: the area's cells") << "Replace" << 3 << 23;
}

void PaintingToolsTest::toleranceOnNoisyPortrait()
{
    QFETCH(QString, tool);
    QFETCH(int, tolerance);
    QFETCH(int, changed);
    const QImage noisy = noisyPortrait();
    document->loadPortrait(noisy);
    state.CurrentTool = tool;
    state.Tolerance = std::uint8_t(tolerance);
    state.FGColor = Red;
    state.R2Color = Flat;
    state.R1Color = Red;
    const int steps = document->history().count();
    if (tool == QLatin1String("Fill")) {
        clickCell(5, 5, 1);
    } else {
        tools->picFace_MouseDown(1, 0, 3.5f, 10 * 8 + 3.5f);
        for (int x = 1; x < 48; ++x)
            tools->picFace_MouseMove(1, 0, x * 8 + 3.5f, 10 * 8 + 3.5f);
        tools->picFace_MouseUp(1, 0, 47 * 8 + 3.5f, 10 * 8 + 3.5f);
    }
    int count = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const Colour now = document->picPreview().pixel(x, y);
            if (now == fromQRgb(noisy.pixel(x, y)))
                continue;
            ++count;
            QCOMPARE(now, Red);
            QVERIFY2(x < 24 && QPoint(x, y) != OffInBlue,
                     qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            QVERIFY(blockIs(x, y, Red));
        }
    QCOMPARE(count, changed);
    QCOMPARE(document->history().count(), steps + 1);
    document->history().undo();
    QCOMPARE(document->picPreview().image(), noisy);
}

void PaintingToolsTest::trackingTexts_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QString>("cell");
    QTest::newRow("corner") << 383.f << 447.f << "(47, 55)";
    QTest::newRow("inside") << 100.f << 60.f << "(12, 7)";
    QTest::newRow("left of the view") << -3.f << 30.f << "(-1, 3)";
    QTest::newRow("right of the view") << 390.f << 30.f << "(48, 3)";
}

void PaintingToolsTest::trackingTexts()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QString, cell);
    cellAt(47, 55, RGBColour(255, 128, 0));
    cellAt(12, 7, RGBColour(255, 128, 0));
    tools->picFace_MouseMove(0, 0, x, y);
    QCOMPARE(env.cell, cell);
    QCOMPARE(tools->LastX(), x);
    QCOMPARE(tools->LastY(), y);
    QCOMPARE(env.popupSteps, 1);
}

void PaintingToolsTest::failedReadKeepsPreviousColour()
{
    cellAt(0, 3, RGBColour(255, 128, 0));
    tools->picFace_MouseMove(0, 0, 2, 30);
    QCOMPARE(env.colour, QStringLiteral("RGB(255,128,0)"));
    tools->picFace_MouseDown(1, 0, 2, 30);
    tools->picFace_MouseMove(1, 0, -5, 30);
    QCOMPARE(tools->CursorColor(), InvalidColour);
    // The colour read before the brush painted the cell, in text and swatch alike.
    QCOMPARE(env.colour, QStringLiteral("RGB(255,128,0)"));
    QCOMPARE(fromQRgb(tools->swatch().pixel(8, 8)), RGBColour(255, 128, 0));
    QCOMPARE(env.cell, QStringLiteral("(-1, 3)"));
}

void PaintingToolsTest::swatchIsFramedSquareOfTheColour()
{
    cellAt(1, 1, RGBColour(0, 0, 200));
    tools->picFace_MouseMove(0, 0, 12, 12);
    const QImage& s = tools->swatch();
    QCOMPARE(s.size(), QSize(16, 16));
    QCOMPARE(fromQRgb(s.pixel(8, 8)), RGBColour(0, 0, 200));
    QVERIFY(fromQRgb(s.pixel(0, 0)) != RGBColour(0, 0, 200));
    QCOMPARE(s.pixel(0, 0), s.pixel(15, 15));
    QVERIFY(!env.swatch.isNull());
}

void PaintingToolsTest::ctrlAloneRedrawsPopup_data()
{
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("overView");
    QTest::addColumn<int>("redraws");
    QTest::newRow("Ctrl") << 2 << true << 1;
    QTest::newRow("Ctrl, the pointer off the view") << 2 << false << 0;
    QTest::newRow("Ctrl+Shift") << 3 << true << 0;
    QTest::newRow("none") << 0 << true << 0;
    QTest::newRow("Alt") << 4 << true << 0;
}

void PaintingToolsTest::ctrlAloneRedrawsPopup()
{
    QFETCH(int, shift);
    QFETCH(bool, overView);
    QFETCH(int, redraws);
    env.overView = overView;
    tools->picFace_KeyDown(Qt::Key_Control, shift);
    QCOMPARE(env.popupRedraws, redraws);
}

void PaintingToolsTest::dragAroundOutsideTheViewPaintsOnlyTheWayBackIn()
{
    tools->picFace_MouseDown(1, 0, 383, 100);
    tools->picFace_MouseMove(1, 0, 390, 100);
    tools->picFace_MouseMove(1, 0, 390, 300); // along the outside: no cell lies on the way
    tools->picFace_MouseMove(1, 0, 100, -20);
    QCOMPARE(env.cell, QStringLiteral("(12, -3)"));
    tools->picFace_MouseUp(1, 0, 100, -20);
    int painted = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            painted += document->picPreview().pixel(x, y) == White;
    QCOMPARE(document->picPreview().pixel(47, 12), White);
    // Only the press's cell and the cells on the way back in from (48, 37) to (12, -3).
    const QList<QPoint> way = PaintingTools::segmentCells({48, 37}, {12, -3});
    QCOMPARE(painted, 1 + int(std::count_if(way.begin(), way.end(), [](QPoint c) {
                          return c.x() >= 0 && c.x() < 48 && c.y() >= 0;
                      })));
}

void PaintingToolsTest::fastDragPaintsConnectedLine_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("diagonal") << QPoint(1, 1) << QPoint(30, 20);
    QTest::newRow("steep") << QPoint(40, 2) << QPoint(35, 50);
    QTest::newRow("horizontal") << QPoint(2, 40) << QPoint(45, 40);
    QTest::newRow("backwards") << QPoint(45, 50) << QPoint(3, 44);
}

void PaintingToolsTest::fastDragPaintsConnectedLine()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    tools->picFace_MouseDown(1, 0, from.x() * 8 + 4, from.y() * 8 + 4);
    tools->picFace_MouseMove(1, 0, to.x() * 8 + 4, to.y() * 8 + 4); // one big jump
    tools->picFace_MouseUp(1, 0, to.x() * 8 + 4, to.y() * 8 + 4);
    // Walk the painted cells from one end: each has a painted 8-neighbour closer to the other.
    int painted = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            painted += document->picPreview().pixel(x, y) == White;
    const int expected = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())) + 1;
    QCOMPARE(painted, expected);
    QPoint p = from;
    while (p != to) {
        QPoint next = p;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const QPoint n = p + QPoint(dx, dy);
                if (document->picPreview().pixel(n.x(), n.y()) == White &&
                    (to - n).manhattanLength() < (to - next).manhattanLength())
                    next = n;
            }
        QVERIFY2(next != p, "the line is broken");
        p = next;
    }
}

void PaintingToolsTest::gammaStepsEachCellOncePerSegment()
{
    state.CurrentTool = "Gamma";
    tools->picFace_MouseDown(1, 0, 4, 4);
    tools->picFace_MouseMove(1, 0, 5 * 8 + 4, 4);
    for (int x = 0; x <= 5; ++x)
        QCOMPARE(document->picPreview().pixel(x, 0), RGBColour(15, 15, 15));
    tools->picFace_MouseMove(1, 0, 4, 4); // back again: a new segment steps them again
    tools->picFace_MouseUp(1, 0, 4, 4);
    for (int x = 0; x <= 4; ++x)
        QCOMPARE(document->picPreview().pixel(x, 0), RGBColour(30, 30, 30));
    QCOMPARE(document->picPreview().pixel(5, 0), RGBColour(15, 15, 15));
}

void PaintingToolsTest::dragOffTheEdgePaintsUpToIt()
{
    tools->picFace_MouseDown(1, 0, 40 * 8 + 4, 4);
    tools->picFace_MouseMove(1, 0, 60 * 8, 4);
    tools->picFace_MouseUp(1, 0, 60 * 8, 4);
    for (int x = 40; x < 48; ++x)
        QCOMPARE(document->picPreview().pixel(x, 0), White);
    QCOMPARE(document->picPreview().pixel(39, 0), Colour(0));
}

QTEST_MAIN(PaintingToolsTest)
#include "tst_paintingtools.moc"
