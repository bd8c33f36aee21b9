#include "mainwindow/ButtonPopupFace.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "tools/PaintingTools.h"

#include <QAction>
#include <QtTest>

// The magnified view's events as the window receives them: which parts of the picture
// box are drawing area, undo during a held stroke, and the readout after a change under
// a still pointer.
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
    Colour cell(int x, int y) const { return window->canvas().picPreview().pixel(x, y); }
    QImage portrait() const { return window->canvas().picPreview().image().copy(); }
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
    QCOMPARE(window->canvas().history().count(), steps);
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
    QCOMPARE(window->canvas().history().count(), 2);
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

QTEST_MAIN(ViewEventsTest)
#include "tst_viewevents.moc"
