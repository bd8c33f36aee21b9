#include "canvas/PopupFace.h"
#include "canvas/PortraitCanvas.h"
#include "canvas/RgbPopup.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "tools/PaintingTools.h"
#include "tools/ToolEnvironment.h"

#include <QApplication>
#include <QtTest>

namespace {

// A face of one flat colour, so that blended pixels can be computed exactly.
class FlatFace : public PopupFace {
public:
    static constexpr Colour Fill = RGBColour(200, 100, 50);
    QString text;
    int w = 113, l = 0, t = 0;
    int pictures = 0;
    void setPicture(const QImage&) override { ++pictures; }
    void setCaption(const QString& c) override { text = c; }
    QString caption() const override { return text; }
    void setWidth(int width) override { w = width; }
    void setPosition(int left, int top) override
    {
        l = left;
        t = top;
    }
    int left() const override { return l; }
    int top() const override { return t; }
    int width() const override { return w; }
    int height() const override { return 21; }
    QImage image() const override
    {
        QImage i(w, 21, QImage::Format_RGB32);
        i.fill(toQRgb(Fill));
        return i;
    }
};

class PopupEnvironment : public ToolEnvironment {
public:
    RgbPopup* popup = nullptr;
    void showCell(const QString&) override {}
    void showColour(const QPixmap&, const QString&, const QString&) override {}
    bool useForegroundBackgroundForReplace() const override { return false; }
    void setViewCursor(ViewCursor) override {}
    void pickColour(Well, Colour) override {}
    void popupStep(int shift, float x, float y) override { popup->popupStep(shift, x, y); }
    void redrawPopup() override { popup->RedrawRGB(); }
    // The tests move the pointer within the view.
    bool pointerOverView() const override { return true; }
};

} // namespace

Q_DECLARE_METATYPE(RgbPopup::Option)

class RgbPopupTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void widthFollowsTheCaption_data();
    void widthFollowsTheCaption();
    void placedBelowRightOfThePointer();
    void placedWholeAtTheEdges_data();
    void placedWholeAtTheEdges();
    void alphaExtremes_data();
    void alphaExtremes();
    void optionsAndModifierMasks_data();
    void optionsAndModifierMasks();
    void ctrlShowsItWhateverTheOption();
    void committedMoveLeavesNoPopup();
    void nonCommittingMoveKeepsIt();
    void nextMoveRemovesIt();

private:
    bool popupAt(int x, int y) const { return canvas->picFace().pixel(x, y) != background(x, y); }
    Colour background(int x, int y) const { return canvas->picBackBuffer().pixel(x, y); }

    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    EditingState state;
    PopupEnvironment env;
    FlatFace face;
    RgbPopup::Option option = RgbPopup::Option::Always;
    std::unique_ptr<PaintingTools> tools;
    std::unique_ptr<RgbPopup> popup;
};

void RgbPopupTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    canvas->setGridSource([] { return false; });
    state = EditingState{};
    face = FlatFace{};
    option = RgbPopup::Option::Always;
    tools = std::make_unique<PaintingTools>(*document, *canvas, state, env);
    popup = std::make_unique<RgbPopup>(*canvas, state, *tools, face, [this] { return option; });
    env.popup = popup.get();
}

void RgbPopupTest::widthFollowsTheCaption_data()
{
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("width");
    QTest::newRow("black") << Colour(0) << "RGB(0,0,0)" << 88;
    QTest::newRow("white") << RGBColour(255, 255, 255) << "RGB(255,255,255)" << 130;
    QTest::newRow("mixed") << RGBColour(255, 128, 0) << "RGB(255,128,0)" << 116;
}

void RgbPopupTest::widthFollowsTheCaption()
{
    QFETCH(Colour, colour);
    QFETCH(QString, caption);
    QFETCH(int, width);
    document->setCell(12, 6, colour);
    tools->picFace_MouseMove(0, 0, 100, 50);
    QCOMPARE(face.caption(), caption);
    QCOMPARE(face.width(), width);
    QCOMPARE(face.pictures, 1);
}

void RgbPopupTest::placedBelowRightOfThePointer()
{
    state.PopupAlpha = 255;
    tools->picFace_MouseMove(0, 0, 100, 50);
    QCOMPARE(face.left(), 108);
    QCOMPARE(face.top(), 58);
    QCOMPARE(canvas->picFace().pixel(108, 58), FlatFace::Fill);
    QCOMPARE(canvas->picFace().pixel(108 + 87, 58 + 20), FlatFace::Fill);
    QVERIFY(!popupAt(107, 58));
    QVERIFY(!popupAt(108 + 88, 58));
    QVERIFY(!popupAt(108, 58 + 21));
}

void RgbPopupTest::placedWholeAtTheEdges_data()
{
    // The popup over a black cell is 88 x 21.
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPointF>("pointer");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("room below right") << 8 << QPointF(100, 50) << QPoint(108, 58);
    QTest::newRow("just fits in the corner") << 8 << QPointF(288, 419) << QPoint(296, 427);
    QTest::newRow("right edge: to the left") << 8 << QPointF(370, 100) << QPoint(274, 108);
    QTest::newRow("bottom edge: above") << 8 << QPointF(100, 440) << QPoint(108, 411);
    QTest::newRow("a pixel past the corner") << 8 << QPointF(289, 420) << QPoint(193, 391);
    QTest::newRow("last pixel of the view") << 8 << QPointF(383, 447) << QPoint(287, 418);
    QTest::newRow("zoom 4, right edge") << 4 << QPointF(100, 50) << QPoint(4, 58);
    QTest::newRow("zoom 4, bottom edge") << 4 << QPointF(60, 210) << QPoint(68, 181);
    QTest::newRow("zoom 16, bottom right") << 16 << QPointF(760, 890) << QPoint(664, 861);
}

void RgbPopupTest::placedWholeAtTheEdges()
{
    QFETCH(int, zoom);
    QFETCH(QPointF, pointer);
    QFETCH(QPoint, topLeft);
    QVERIFY(canvas->setZoom(zoom) || zoom == canvas->zoom());
    state.PopupAlpha = 255;
    tools->picFace_MouseMove(0, 0, float(pointer.x()), float(pointer.y()));
    QCOMPARE(QPoint(face.left(), face.top()), topLeft);
    // Whole: every corner shows, nothing beyond it.
    const QRect r(topLeft, QSize(88, 21));
    QVERIFY(canvas->viewRect().contains(r));
    for (const QPoint& corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        QCOMPARE(canvas->picFace().pixel(corner.x(), corner.y()), FlatFace::Fill);
    int shown = 0;
    const Surface& view = canvas->picFace();
    for (int y = 0; y < view.height(); ++y)
        for (int x = 0; x < view.width(); ++x)
            shown += view.pixel(x, y) == FlatFace::Fill;
    QCOMPARE(shown, 88 * 21);
}

void RgbPopupTest::alphaExtremes_data()
{
    QTest::addColumn<int>("alpha");
    QTest::addColumn<Colour>("expected");
    QTest::newRow("0 leaves the view") << 0 << Colour(0);
    QTest::newRow("255 copies") << 255 << FlatFace::Fill;
    QTest::newRow("204 blends") << 204 << RGBColour(160, 80, 40);
}

void RgbPopupTest::alphaExtremes()
{
    QFETCH(int, alpha);
    QFETCH(Colour, expected);
    state.PopupAlpha = std::uint8_t(alpha);
    tools->picFace_MouseMove(0, 0, 100, 50);
    QCOMPARE(canvas->picFace().pixel(120, 65), expected);
}

void RgbPopupTest::optionsAndModifierMasks_data()
{
    QTest::addColumn<RgbPopup::Option>("option");
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("drawn");
    using O = RgbPopup::Option;
    QTest::newRow("always, no keys") << O::Always << 0 << true;
    QTest::newRow("always, Shift") << O::Always << 1 << true;
    QTest::newRow("ctrl option, no keys") << O::OnlyWithCtrl << 0 << false;
    QTest::newRow("ctrl option, Ctrl") << O::OnlyWithCtrl << 2 << true;
    QTest::newRow("ctrl option, Ctrl+Shift") << O::OnlyWithCtrl << 3 << false;
    QTest::newRow("ctrl option, Ctrl+Alt") << O::OnlyWithCtrl << 6 << false;
    QTest::newRow("never, no keys") << O::Never << 0 << false;
    QTest::newRow("never, Ctrl") << O::Never << 2 << false;
}

void RgbPopupTest::optionsAndModifierMasks()
{
    QFETCH(RgbPopup::Option, option);
    QFETCH(int, shift);
    QFETCH(bool, drawn);
    this->option = option;
    state.PopupAlpha = 255;
    tools->picFace_MouseMove(0, shift, 100, 50);
    QCOMPARE(popupAt(110, 60), drawn);
}

void RgbPopupTest::ctrlShowsItWhateverTheOption()
{
    option = RgbPopup::Option::Never;
    state.PopupAlpha = 255;
    tools->picFace_MouseMove(0, 0, 100, 50);
    QVERIFY(!popupAt(110, 60));
    tools->picFace_KeyDown(Qt::Key_Control, 2);
    QVERIFY(popupAt(110, 60));
    QCOMPARE(face.left(), 108);
}

void RgbPopupTest::committedMoveLeavesNoPopup()
{
    state.PopupAlpha = 255;
    tools->picFace_MouseDown(1, 0, 100, 50);
    tools->picFace_MouseMove(1, 0, 140, 50);
    QVERIFY(!popupAt(150, 60));
    QCOMPARE(canvas->picFace().image(), canvas->picBackBuffer().image());
}

void RgbPopupTest::nonCommittingMoveKeepsIt()
{
    state.PopupAlpha = 255;
    state.CurrentTool = "Selector";
    tools->picFace_MouseDown(1, 0, 100, 50);
    QVERIFY(popupAt(110, 60));
}

void RgbPopupTest::nextMoveRemovesIt()
{
    state.PopupAlpha = 255;
    tools->picFace_MouseMove(0, 0, 100, 50);
    QVERIFY(popupAt(110, 60));
    option = RgbPopup::Option::Never;
    tools->picFace_MouseMove(0, 0, 101, 50);
    QVERIFY(!popupAt(110, 60));
}

QTEST_MAIN(RgbPopupTest)
#include "tst_rgbpopup.moc"
