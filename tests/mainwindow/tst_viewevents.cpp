#include "document/PortraitDocument.h"
#include "mainwindow/ButtonPopupFace.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "tools/PaintingTools.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>

// The magnified view's events as the window receives them: which parts of the picture
// box are drawing area, undo during a held stroke, the readout after a change under a
// still pointer, and painting from the keyboard with the cell cursor.
class ViewEventsTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void borderIsNotDrawingArea_data();
    void borderIsNotDrawingArea();
    void undoDuringHeldStrokeLosesNothing();
    void readoutFollowsChangeUnderStillPointer_data();
    void readoutFollowsChangeUnderStillPointer();
    void keyboardCursorDrivesEveryTool_data();
    void keyboardCursorDrivesEveryTool();

private:
    PictureBox* view() const { return window->picFaceBox(); }
    // Widget position of a cell's middle; the drawing area starts 2 pixels in.
    static QPoint cellPos(int x, int y) { return {2 + x * 8 + 4, 2 + y * 8 + 4}; }
    QAction* shortcutAction(const QKeySequence& keys) const
    {
        for (QAction* a : window->actions())
            if (a->shortcuts().contains(keys))
                return a;
        return nullptr;
    }
    Colour cell(int x, int y) const { return window->document().picPreview().pixel(x, y); }
    QImage portrait() const { return window->document().picPreview().image().copy(); }
};

namespace {
constexpr Colour White = RGBColour(255, 255, 255);
}

void ViewEventsTest::init()
{
    QVERIFY(openWindow());
}

void ViewEventsTest::cleanup()
{
    QTest::mouseRelease(view(), Qt::LeftButton);
    window.reset();
}

void ViewEventsTest::borderIsNotDrawingArea_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("dragTo");
    QTest::addColumn<int>("paintedCells");
    QTest::addColumn<int>("steps");
    // Row 8 of cells; the left border is widget x 0 and 1.
    QTest::newRow("press on the left border, drag in") << QPoint(1, 68) << QPoint(22, 68) << 0 << 0;
    QTest::newRow("press on the top border, drag in") << QPoint(40, 0) << QPoint(40, 20) << 0 << 0;
    QTest::newRow("press inside, drag out past the border") << QPoint(6, 68) << QPoint(-30, 68) << 1 << 1;
    QTest::newRow("press inside, drag along the row") << QPoint(6, 68) << QPoint(22, 68) << 3 << 1;
}

void ViewEventsTest::borderIsNotDrawingArea()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, dragTo);
    QFETCH(int, paintedCells);
    QFETCH(int, steps);
    StatusBar* status = window->stbMain();
    // Hovering over the border shows no cell.
    QTest::mouseMove(view(), QPoint(1, 68));
    QCOMPARE(status->panelText(3), QStringLiteral("(0, 0)"));

    QTest::mousePress(view(), Qt::LeftButton, {}, press);
    QTest::mouseMove(view(), dragTo);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, dragTo);
    int painted = 0;
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            painted += cell(x, y) == White;
    QCOMPARE(painted, paintedCells);
    QCOMPARE(window->document().history().count(), steps);
    QCOMPARE(window->tools().MouseIsDown(), std::int16_t(0));
}

void ViewEventsTest::undoDuringHeldStrokeLosesNothing()
{
    QAction* undo = shortcutAction(QKeySequence::Undo);
    QAction* redo = shortcutAction(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QVERIFY(undo && redo);
    const QImage blank = portrait();
    QTest::mouseClick(view(), Qt::LeftButton, {}, cellPos(2, 2));
    const QImage first = portrait();
    QCOMPARE(cell(2, 2), White);

    QTest::mousePress(view(), Qt::LeftButton, {}, cellPos(6, 2));
    undo->trigger(); // ignored while the button is held
    redo->trigger();
    QTest::mouseMove(view(), cellPos(10, 2));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, cellPos(10, 2));
    const QImage second = portrait();
    for (int x : {2, 6, 7, 8, 9, 10})
        QCOMPARE(cell(x, 2), White);

    // Every state is reached again, both ways.
    QCOMPARE(window->document().history().count(), 2);
    undo->trigger();
    QCOMPARE(portrait(), first);
    undo->trigger();
    QCOMPARE(portrait(), blank);
    redo->trigger();
    QCOMPARE(portrait(), first);
    redo->trigger();
    QCOMPARE(portrait(), second);
}

void ViewEventsTest::readoutFollowsChangeUnderStillPointer_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("shown");
    QTest::newRow("click paints") << "click"
                                  << "RGB(255,255,255)";
    QTest::newRow("fill") << "fill"
                          << "RGB(255,255,255)";
    QTest::newRow("undo") << "click undo"
                          << "RGB(0,0,0)";
    QTest::newRow("redo") << "click undo redo"
                          << "RGB(255,255,255)";
    QTest::newRow("new") << "click new"
                         << "RGB(0,0,255)";
}

void ViewEventsTest::readoutFollowsChangeUnderStillPointer()
{
    QFETCH(QString, change);
    QFETCH(QString, shown);
    const QPoint at = cellPos(5, 5);
    QTest::mouseMove(view(), at);
    QCOMPARE(window->stbMain()->panelText(2), QStringLiteral("RGB(0,0,0)"));
    for (const QString& step : change.split(' ')) {
        if (step == "click") {
            QTest::mouseClick(view(), Qt::LeftButton, {}, at);
        } else if (step == "fill") {
            window->tlbMain_ButtonClick("Fill");
            QTest::mouseClick(view(), Qt::LeftButton, {}, at);
        } else if (step == "undo") {
            shortcutAction(QKeySequence::Undo)->trigger();
        } else if (step == "redo") {
            shortcutAction(QKeySequence(Qt::CTRL | Qt::Key_Y))->trigger();
        } else if (step == "new") {
            window->state().BGColor = RGBColour(0, 0, 255);
            window->NewPortrait();
        }
    }
    QCOMPARE(window->stbMain()->panelText(2), shown);
    QCOMPARE(window->popupFace().caption(), shown);
    const QImage swatch = window->stbMain()->panelIcon(2).toImage();
    const ColorParts parts = SplitColor(cell(5, 5));
    QCOMPARE(swatch.pixelColor(8, 8), QColor(parts.R, parts.G, parts.B));
}

namespace {
constexpr Colour Red = RGBColour(200, 0, 0);
constexpr Colour Blue = RGBColour(0, 0, 255);
} // namespace

void ViewEventsTest::keyboardCursorDrivesEveryTool_data()
{
    // Keys: an arrow, "Space" (pressed and released), "Space+" / "Space-" (held, let go),
    // "Shift+Space", "Ctrl+Space". The portrait is black with cell (2, 0) red; the wells
    // are white (foreground) and blue (background).
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QPoint>("cursor");    // where the cursor ends
    QTest::addColumn<QString>("expected"); // "x,y=rrggbb" cells, or "FG=", "BG=", "R1=" wells
    QTest::addColumn<int>("steps");        // undo steps the keys made
    QTest::newRow("brush: Space paints the foreground")
        << "Brush"
        << "Right Right Right Space" << QPoint(3, 0) << "3,0=ffffff 2,0=c80000" << 1;
    QTest::newRow("brush: Shift+Space paints the background")
        << "Brush"
        << "Right Right Shift+Space" << QPoint(2, 0) << "2,0=0000ff" << 1;
    QTest::newRow("brush: a held Space strokes along the arrows")
        << "Brush"
        << "Down Space+ Right Right Down Space-" << QPoint(2, 2)
        << "0,1=ffffff 1,1=ffffff 2,1=ffffff 2,2=ffffff 0,0=000000" << 1;
    QTest::newRow("grab colour: Space picks the foreground")
        << "Selector"
        << "Right Right Space" << QPoint(2, 0) << "FG=c80000" << 0;
    QTest::newRow("grab colour: Shift+Space picks the background")
        << "Selector"
        << "Right Right Shift+Space" << QPoint(2, 0) << "BG=c80000" << 0;
    QTest::newRow("grab colour: Ctrl+Space picks replace colour 1")
        << "Selector"
        << "Right Right Ctrl+Space" << QPoint(2, 0) << "R1=c80000" << 0;
    QTest::newRow("fill: Space fills the cell's area")
        << "Fill"
        << "Down Down Space" << QPoint(0, 2) << "47,55=ffffff 2,0=c80000" << 1;
    QTest::newRow("replace: Space turns colour 2 into colour 1")
        << "Replace"
        << "Right Space" << QPoint(1, 0) << "1,0=ffffff" << 1;
    QTest::newRow("gamma: a held Space steps each cell it enters")
        << "Gamma"
        << "Right Space+ Left Right Space-" << QPoint(1, 0) << "1,0=1e1e1e 0,0=0f0f0f" << 1;
    QTest::newRow("the cursor stops at the portrait's edge")
        << "Brush"
        << "Left Up Space" << QPoint(0, 0) << "0,0=ffffff" << 1;
}

void ViewEventsTest::keyboardCursorDrivesEveryTool()
{
    QFETCH(QString, tool);
    QFETCH(QString, keys);
    QFETCH(QPoint, cursor);
    QFETCH(QString, expected);
    QFETCH(int, steps);
    window->document().setCell(2, 0, Red);
    window->state().BGColor = Blue;
    window->tlbMain_ButtonClick(tool);
    const int before = window->document().history().count();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    view()->setFocus();
    for (const QString& key : keys.split(' ')) {
        const bool space = key.endsWith(QLatin1String("Space")) || key.startsWith(QLatin1String("Space"));
        const Qt::KeyboardModifiers mods = key.startsWith(QLatin1String("Shift+"))  ? Qt::ShiftModifier
                                           : key.startsWith(QLatin1String("Ctrl+")) ? Qt::ControlModifier
                                                                                    : Qt::NoModifier;
        const Qt::Key k = space                           ? Qt::Key_Space
                          : key == QLatin1String("Left")  ? Qt::Key_Left
                          : key == QLatin1String("Right") ? Qt::Key_Right
                          : key == QLatin1String("Up")    ? Qt::Key_Up
                                                          : Qt::Key_Down;
        if (key == QLatin1String("Space-"))
            QTest::keyRelease(view(), k, mods);
        else if (key == QLatin1String("Space+"))
            QTest::keyPress(view(), k, mods);
        else
            QTest::keyClick(view(), k, mods);
    }
    // The cursor shows where it is, and the status bar follows it.
    QCOMPARE(window->canvas().cellCursor(), std::optional<QPoint>(cursor));
    QCOMPARE(window->stbMain()->panelText(3), QStringLiteral("(%1, %2)").arg(cursor.x()).arg(cursor.y()));
    const QRect ring = window->canvas().cellRect(cursor);
    QCOMPARE(window->canvas().picFace().pixel(ring.x(), ring.y() + 3), RGBColour(255, 255, 255));
    for (const QString& check : expected.split(' ')) {
        const QStringList parts = check.split('=');
        const Colour colour = fromQRgb(parts[1].toUInt(nullptr, 16));
        const EditingState& s = window->state();
        if (parts[0] == QLatin1String("FG"))
            QCOMPARE(s.FGColor, colour);
        else if (parts[0] == QLatin1String("BG"))
            QCOMPARE(s.BGColor, colour);
        else if (parts[0] == QLatin1String("R1"))
            QCOMPARE(s.R1Color, colour);
        else
            QCOMPARE(cell(parts[0].section(',', 0, 0).toInt(), parts[0].section(',', 1, 1).toInt()), colour);
    }
    QCOMPARE(window->document().history().count(), before + steps);
    QCOMPARE(window->tools().MouseIsDown(), std::int16_t(0));
    // Focus elsewhere ends it all: the cursor goes.
    window->panel().txtGamma->setEnabled(true);
    window->panel().txtGamma->setFocus();
    QTRY_VERIFY(!window->canvas().cellCursor());
}

QTEST_MAIN(ViewEventsTest)
#include "tst_viewevents.moc"
