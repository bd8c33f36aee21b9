#include "ButtonTestSupport.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonColours.h"
#include "controls/ButtonPainter.h"

#include <QApplication>
#include <QtTest>

using namespace kuButtons;
using namespace ButtonTests;

namespace {

// Renders of several states laid side by side; pixels outside a window's shape stay
// magenta, and the caption boxes are collected for the comparison.
struct Sheet {
    QImage image;
    QRegion captions;
    Sheet(int w, int h) : image(w, h, QImage::Format_RGB32) { image.fill(Qt::magenta); }
    void place(const ButtonState& s, QPoint at)
    {
        const QImage img = ButtonPainter::RedrawButton(s).window;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                if (s.geometry.window.isEmpty() || s.geometry.window.contains(QPoint(x, y)))
                    image.setPixel(at.x() + x, at.y() + y, img.pixel(x, y));
        if (!s.caption.isEmpty())
            captions += s.layout.text.adjusted(-2, -2, 3, 4).translated(at);
    }
};

// An icon with its own transparency: a blue ring, antialiased, with a white centre.
ButtonPicture ringIcon(int size = 16)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 170), size / 8.0));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(size / 8.0, size / 8.0, size * 0.75, size * 0.75));
    return {img, ButtonPicture::Icon};
}

ButtonState withPicture(ButtonState s, const ButtonPicture& picture, int sizePixels, int align)
{
    s.picture = picture;
    s.pictureSize = sizePixels;
    s.pictureAlign = align;
    s.prepare();
    return s;
}

// Each style disabled: a command button, one with a gradient (etched caption), one with a
// bitmap, and a check box with an icon, off and on.
Sheet disabledSheet()
{
    const int W = 86;
    const int H = 28;
    Sheet sheet(W * 5, H * 8);
    const ButtonPicture disc{discBitmap(16), ButtonPicture::Bitmap};
    for (int style = 0; style < 8; ++style)
        for (int look = 0; look < 5; ++look) {
            ButtonState s = makeState(style, Rectangular, W, H, QStringLiteral("Disabled"));
            s.enabled = false;
            if (look == 1) {
                s.gradientColor = RGBColour(120, 160, 230);
                s.gradientMode = LeftToRight;
            }
            if (look == 2)
                s = withPicture(s, disc, 16, PicLeftOfCaption);
            if (look >= 3) {
                s.mode = CheckBox;
                s.value = look == 4;
                s = withPicture(s, ringIcon(), 16, PicLeftEdge);
            }
            s.prepare();
            sheet.place(s, QPoint(look * W, style * H));
        }
    return sheet;
}

// The six picture places with a bitmap and with an icon, the five picture sizes, and a
// pressed button whose picture moves with its caption.
Sheet picturesSheet()
{
    const int W = 110;
    const int H = 52;
    Sheet sheet(W * 6, H * 2 + 64);
    const ButtonPicture disc{discBitmap(16), ButtonPicture::Bitmap};
    for (int row = 0; row < 2; ++row)
        for (int align = 0; align <= PicBottomCenter; ++align) {
            ButtonState s =
                makeState(row == 0 ? Bevel3D : SoftBevel, Rectangular, W, H, QStringLiteral("Picture"));
            s = withPicture(s, row == 0 ? disc : ringIcon(), 16, align);
            sheet.place(s, QPoint(align * W, row * H));
        }
    const ButtonPicture big{discBitmap(48), ButtonPicture::Bitmap};
    for (int option = 0; option <= SizeFit; ++option) {
        const int pixels = (option + 2) * 8;
        ButtonState s =
            makeState(FlatLine, Rectangular, 72, 64, pixels <= 32 ? QStringLiteral("Size") : QString());
        s = withPicture(s, big, pixels, PicTopCenter);
        sheet.place(s, QPoint(option * W, 2 * H));
    }
    ButtonState pressed =
        withPicture(makeState(Bevel3D, Rectangular, 72, 64, QStringLiteral("Down")), big, 24, PicTopCenter);
    pressed.hovering = true;
    pressed.stateBits = IsOver | IsPressed;
    sheet.place(pressed, QPoint(5 * W, 2 * H));
    return sheet;
}

// The four gradient directions in every style, then hovering (a solid hover face) and
// pressed.
Sheet gradientsSheet()
{
    const int W = 72;
    const int H = 26;
    Sheet sheet(W * 10, H * 4);
    for (int mode = LeftToRight; mode <= BottomToTop; ++mode)
        for (int column = 0; column < 10; ++column) {
            const int style = column < 8 ? column : (column == 8 ? Bevel3D : BrightRounded);
            ButtonState s = makeState(style, Rectangular, W, H, QStringLiteral("Grad"));
            s.backColor = RGBColour(40, 90, 200);
            s.gradientColor = RGBColour(250, 220, 120);
            s.gradientMode = mode;
            s.hoverBackColor = RGBColour(230, 236, 250);
            s.foreColor = 0xFFFFFF;
            if (column == 8) {
                s.hovering = true;
                s.stateBits = IsOver;
            }
            if (column == 9) {
                s.hovering = true;
                s.stateBits = IsOver | IsPressed;
            }
            s.deriveColours();
            sheet.place(s, QPoint(column * W, (mode - 1) * H));
        }
    return sheet;
}

// An idle HotTrack button in the designer keeps an outline (a dotted one on ovals) in a
// darker shade of the container, white when that shade is black; the running form shows
// it flat.
Sheet designModeSheet()
{
    const int W = 96;
    const int H = 30;
    Sheet sheet(W * 7, H * 3);
    for (int row = 0; row < 3; ++row)
        for (int shape = 0; shape <= OvalOutlined; ++shape) {
            ButtonState s = makeState(HotTrack, shape, W, H, QStringLiteral("Design"));
            s.userMode = row == 2;
            if (row == 1)
                s.containerBackColor = RGBColour(40, 40, 40);
            s.prepare();
            sheet.place(s, QPoint(shape * W, row * H));
        }
    return sheet;
}

} // namespace

class ButtonRenderingTest : public QObject {
    Q_OBJECT
private slots:
    void shadeColor_data();
    void shadeColor();
    void derivedColours_data();
    void derivedColours();
    void gradientTableEnds_data();
    void gradientTableEnds();
    void gradientBandRule_data();
    void gradientBandRule();
    void gradientFillsBands_data();
    void gradientFillsBands();
    void newButtonEdges();
    void defaultButtonEdges();
    void pressedButtonEdges();
    void edgeLinesLeaveEndPoint();
    void suspendedStateStillRendersNothingWhenEmpty();
    void stylesMatchReferences_data();
    void stylesMatchReferences();
    void sheetsMatchReferences_data();
    void sheetsMatchReferences();
};

void ButtonRenderingTest::shadeColor_data()
{
    QTest::addColumn<uint>("colour");
    QTest::addColumn<int>("amount");
    QTest::addColumn<bool>("scaleBlue");
    QTest::addColumn<bool>("avoid");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<uint>("expected");
    QTest::newRow("black -10 avoiding black")
        << 0u << -10 << false << true << false << uint(RGBColour(10, 10, 10));
    QTest::newRow("grey +12") << 0x808080u << 12 << false << false << false << uint(RGBColour(140, 140, 140));
    QTest::newRow("white -32") << 0xFFFFFFu << -32 << false << false << false
                               << uint(RGBColour(223, 223, 223));
    QTest::newRow("clamped high") << uint(RGBColour(250, 10, 128)) << 20 << false << false << false
                                  << uint(RGBColour(255, 30, 148));
    QTest::newRow("white +10 avoiding white")
        << 0xFFFFFFu << 10 << false << true << false << uint(RGBColour(245, 245, 245));
    QTest::newRow("black by 0 avoiding black")
        << 0u << 0 << false << true << false << uint(RGBColour(64, 64, 64));
    QTest::newRow("blue scaled up") << uint(RGBColour(0, 0, 192)) << 48 << true << false << false
                                    << uint(RGBColour(48, 48, 240));
    QTest::newRow("blue scaled down truncates to zero")
        << uint(RGBColour(100, 100, 100)) << -25 << true << false << false << uint(RGBColour(75, 75, 87));
    QTest::newRow("inverted") << 0x808080u << 0 << false << false << true << uint(RGBColour(127, 127, 127));
    QTest::newRow("inverted after clamp") << 0xFFFFFFu << 10 << false << false << true << 0u;
}

void ButtonRenderingTest::shadeColor()
{
    QFETCH(uint, colour);
    QFETCH(int, amount);
    QFETCH(bool, scaleBlue);
    QFETCH(bool, avoid);
    QFETCH(bool, invert);
    QFETCH(uint, expected);
    QCOMPARE(uint(ShadeColor(colour, amount, scaleBlue, avoid, invert)), expected);
}

void ButtonRenderingTest::derivedColours_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<uint>("back");
    QTest::addColumn<uint>("face");
    QTest::addColumn<uint>("shadow");
    QTest::addColumn<uint>("light");
    const Colour back = RGBColour(100, 110, 120);
    QTest::newRow("bevel") << int(Bevel3D) << uint(back) << uint(back) << uint(back)
                           << uint(RGBColour(223, 223, 223));
    QTest::newRow("grey framed") << int(GreyFramed) << uint(back) << uint(back)
                                 << uint(RGBColour(140, 140, 140)) << uint(RGBColour(171, 171, 171));
    QTest::newRow("shaded rounded") << int(ShadedRounded) << uint(back) << uint(RGBColour(131, 141, 151))
                                    << uint(RGBColour(112, 112, 112)) << uint(ShadeColor(0x808080, 16, true));
    const Colour brightFace = ShadeColor(back, 48, true);
    QTest::newRow("bright rounded") << int(BrightRounded) << uint(back) << uint(brightFace)
                                    << uint(ShadeColor(brightFace, -32, true))
                                    << uint(ShadeColor(0xFFFFFF, -32, true));
}

void ButtonRenderingTest::derivedColours()
{
    QFETCH(int, style);
    QFETCH(uint, back);
    QFETCH(uint, face);
    QFETCH(uint, shadow);
    QFETCH(uint, light);
    const DerivedColours d = deriveColours(style, back, RGBColour(1, 2, 3));
    QCOMPARE(uint(d.face), face);
    QCOMPARE(uint(d.shadow), shadow);
    QCOMPARE(uint(d.light), light);
}

void ButtonRenderingTest::gradientTableEnds_data()
{
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<int>("count");
    QTest::newRow("black to white, 100") << 0u << 0xFFFFFFu << 100;
    QTest::newRow("white to black, 100") << 0xFFFFFFu << 0u << 100;
    QTest::newRow("odd steps") << uint(RGBColour(10, 200, 33)) << uint(RGBColour(250, 3, 140)) << 37;
    QTest::newRow("two") << uint(RGBColour(1, 2, 3)) << uint(RGBColour(4, 5, 6)) << 2;
}

void ButtonRenderingTest::gradientTableEnds()
{
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(int, count);
    const QList<Colour> t = gradientTable(start, end, count);
    QCOMPARE(t.size(), count);
    QCOMPARE(uint(t.first()), start);
    QCOMPARE(uint(t.last()), end);
    // Every channel moves monotonically from start to end.
    for (int k = 1; k < count; ++k) {
        QVERIFY((redOf(end) >= redOf(start)) ? redOf(t[k]) >= redOf(t[k - 1])
                                             : redOf(t[k]) <= redOf(t[k - 1]));
        QVERIFY((blueOf(end) >= blueOf(start)) ? blueOf(t[k]) >= blueOf(t[k - 1])
                                               : blueOf(t[k]) <= blueOf(t[k - 1]));
    }
}

void ButtonRenderingTest::gradientBandRule_data()
{
    QTest::addColumn<int>("span");
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("size");
    QTest::newRow("100 on 1280") << 100 << 1280 << 100 << 1;
    QTest::newRow("exactly a quarter") << 320 << 1280 << 320 << 1;
    QTest::newRow("more than a quarter") << 321 << 1280 << 160 << 2;
    QTest::newRow("half the screen") << 640 << 1280 << 320 << 2;
}

void ButtonRenderingTest::gradientBandRule()
{
    QFETCH(int, span);
    QFETCH(int, screen);
    QFETCH(int, count);
    QFETCH(int, size);
    const GradientBands b = gradientBands(span, screen);
    QCOMPARE(b.count, count);
    QCOMPARE(b.size, size);
}

void ButtonRenderingTest::gradientFillsBands_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("left to right") << int(LeftToRight);
    QTest::newRow("right to left") << int(RightToLeft);
    QTest::newRow("top to bottom") << int(TopToBottom);
    QTest::newRow("bottom to top") << int(BottomToTop);
}

// From RGB(0, 10, 255) to RGB(198, 10, 57) over 100 bands each channel moves by exactly
// 2 per band, so band k must be RGB(2k, 10, 255 - 2k) (mirrored for the reversed modes).
void ButtonRenderingTest::gradientFillsBands()
{
    QFETCH(int, mode);
    const bool across = mode == LeftToRight || mode == RightToLeft;
    const bool reversed = mode == RightToLeft || mode == BottomToTop;
    auto expected = [&](int band) {
        const int k = reversed ? 99 - band : band;
        return uint(RGBColour(2 * k, 10, 255 - 2 * k));
    };
    // bandSize 1: a 100-pixel button; bandSize 2: 200 pixels, more than a quarter of the
    // screen, so 100 bands of two pixels.
    for (int bandSize : {1, 2}) {
        const int side = 100 * bandSize;
        ButtonState s = makeState(FlatLine, Rectangular, side, side, QString());
        s.backColor = RGBColour(0, 10, 255);
        s.gradientColor = RGBColour(198, 10, 57);
        s.gradientMode = mode;
        s.screenSize = QSize(1280, 1024) / (bandSize == 1 ? 1 : 2);
        s.deriveColours();
        const QImage img = ButtonPainter::RedrawButton(s).buffer;
        // Inside the one-pixel edge, along three lines across the bands.
        for (int along : {1, side / 2, side - 2})
            for (int p = 1; p < side - 1; ++p) {
                const QPoint at = across ? QPoint(p, along) : QPoint(along, p);
                const uint got = uint(fromQRgb(img.pixel(at)));
                if (got != expected(p / bandSize))
                    QFAIL(qPrintable(QStringLiteral("band size %1: pixel (%2, %3) is %4, expected %5")
                                         .arg(bandSize)
                                         .arg(at.x())
                                         .arg(at.y())
                                         .arg(got, 6, 16, QLatin1Char('0'))
                                         .arg(expected(p / bandSize), 6, 16, QLatin1Char('0'))));
            }
    }
}

void ButtonRenderingTest::newButtonEdges()
{
    const ButtonState s = makeState(Bevel3D, Rectangular, 60, 24, QString());
    const QImage img = ButtonPainter::RedrawButton(s).buffer;
    const int W = 60;
    const int H = 24;
    const Colour face = RGBColour(212, 208, 200);
    QCOMPARE(TestSupportPixel(img, 0, 10), 0xFFFFFFu);     // outer left
    QCOMPARE(TestSupportPixel(img, 20, 0), 0xFFFFFFu);     // outer top
    QCOMPARE(TestSupportPixel(img, W - 1, 10), 0x000000u); // outer right
    QCOMPARE(TestSupportPixel(img, 20, H - 1), 0x000000u); // outer bottom
    QCOMPARE(TestSupportPixel(img, 1, 10), uint(RGBColour(233, 233, 233)));
    QCOMPARE(TestSupportPixel(img, 20, 1), uint(RGBColour(233, 233, 233)));
    QCOMPARE(TestSupportPixel(img, W - 2, 10), 0x808080u);
    QCOMPARE(TestSupportPixel(img, 20, H - 2), 0x808080u);
    QCOMPARE(TestSupportPixel(img, 2, 10), uint(face)); // no inner ring
    QCOMPARE(TestSupportPixel(img, W - 3, 10), uint(face));
}

void ButtonRenderingTest::defaultButtonEdges()
{
    ButtonState s = makeState(Bevel3D, Rectangular, 60, 24, QString());
    s.stateBits = IsDefault;
    const QImage img = ButtonPainter::RedrawButton(s).buffer;
    const int W = 60;
    const int H = 24;
    // Outer ring black all round, middle white/black, inner light grey/grey.
    for (QPoint p : {QPoint(0, 10), QPoint(20, 0), QPoint(W - 1, 10), QPoint(20, H - 1)})
        QCOMPARE(TestSupportPixel(img, p.x(), p.y()), 0u);
    QCOMPARE(TestSupportPixel(img, 1, 10), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(img, 20, 1), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(img, W - 2, 10), 0u);
    QCOMPARE(TestSupportPixel(img, 20, H - 2), 0u);
    QCOMPARE(TestSupportPixel(img, 2, 10), uint(RGBColour(233, 233, 233)));
    QCOMPARE(TestSupportPixel(img, W - 3, 10), 0x808080u);
    QCOMPARE(TestSupportPixel(img, 20, H - 3), 0x808080u);
    // The dotted focus rectangle inverts every other pixel of (4, 4) .. (W - 5, H - 5).
    const Colour face = RGBColour(212, 208, 200);
    const Colour inverted = face ^ 0xFFFFFFu;
    QCOMPARE(TestSupportPixel(img, 4, 4), uint(inverted));
    QCOMPARE(TestSupportPixel(img, 5, 4), uint(face));
    QCOMPARE(TestSupportPixel(img, 6, 4), uint(inverted));
}

void ButtonRenderingTest::pressedButtonEdges()
{
    ButtonState s = makeState(Bevel3D, Rectangular, 60, 24, QString());
    s.stateBits = IsPressed | IsOver;
    const QImage img = ButtonPainter::RedrawButton(s).buffer;
    QCOMPARE(TestSupportPixel(img, 0, 10), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(img, 59, 10), 0u);
    QCOMPARE(TestSupportPixel(img, 58, 10), 0x808080u);
    QCOMPARE(TestSupportPixel(img, 1, 10), uint(RGBColour(212, 208, 200))); // middle left/top not drawn
    // A check box that is on sinks: black outer left/top, white outer right/bottom.
    ButtonState on = makeState(Bevel3D, Rectangular, 60, 24, QString());
    on.mode = CheckBox;
    on.value = true;
    const QImage onImg = ButtonPainter::RedrawButton(on).buffer;
    QCOMPARE(TestSupportPixel(onImg, 0, 10), 0u);
    QCOMPARE(TestSupportPixel(onImg, 59, 10), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(onImg, 58, 10), uint(RGBColour(233, 233, 233)));
    QCOMPARE(TestSupportPixel(onImg, 30, 12), uint(RGBColour(223, 223, 223))); // light face when on
}

void ButtonRenderingTest::edgeLinesLeaveEndPoint()
{
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::black);
    ButtonCanvas cv(img);
    cv.line(QPoint(1, 1), QPoint(5, 1), 0xFFFFFF);
    QCOMPARE(TestSupportPixel(img, 1, 1), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(img, 4, 1), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(img, 5, 1), 0u);
    // The clip keeps lines out.
    cv.setClip(QRegion(0, 0, 3, 10));
    cv.line(QPoint(0, 3), QPoint(9, 3), 0xFFFFFF);
    QCOMPARE(TestSupportPixel(img, 2, 3), 0xFFFFFFu);
    QCOMPARE(TestSupportPixel(img, 3, 3), 0u);
}

void ButtonRenderingTest::suspendedStateStillRendersNothingWhenEmpty()
{
    ButtonState s;
    QVERIFY(!ButtonPainter::RedrawButton(s).drawn);
}

void ButtonRenderingTest::stylesMatchReferences_data()
{
    QTest::addColumn<int>("style");
    const char* names[] = {"Bevel3D",  "SoftBevel", "BrightRounded", "GreyFramed",
                           "FlatLine", "HotTrack",  "LightBevel",    "ShadedRounded"};
    for (int i = 0; i < 8; ++i)
        QTest::newRow(names[i]) << i;
}

// Each style in five looks (normal, hovering, pressed, default, check box on), side by
// side, against a reference image.
void ButtonRenderingTest::stylesMatchReferences()
{
    QFETCH(int, style);
    const int W = 72;
    const int H = 26;
    QImage sheet(W * 5, H, QImage::Format_RGB32);
    sheet.fill(Qt::magenta);
    QRegion text;
    for (int look = 0; look < 5; ++look) {
        ButtonState s = makeState(style, Rectangular, W, H, QStringLiteral("Button"));
        s.hoverBackColor = RGBColour(230, 236, 250);
        s.hoverForeColor = RGBColour(0, 0, 160);
        s.deriveColours();
        switch (look) {
        case 1:
            s.hovering = true;
            s.stateBits = IsOver;
            break;
        case 2:
            s.hovering = true;
            s.stateBits = IsOver | IsPressed;
            break;
        case 3:
            s.stateBits = IsDefault;
            break;
        case 4:
            s.mode = CheckBox;
            s.value = true;
            break;
        default:
            break;
        }
        const QImage img = ButtonPainter::RedrawButton(s).window;
        QPainter p(&sheet);
        p.drawImage(look * W, 0, img);
        text += s.layout.text.adjusted(-2, -2, 3, 4).translated(look * W, 0);
    }
    QString why;
    QVERIFY2(matchesReference(sheet, QStringLiteral("style%1").arg(style), text, &why), qPrintable(why));
}

void ButtonRenderingTest::sheetsMatchReferences_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("disabled looks") << QStringLiteral("disabled");
    QTest::newRow("pictures") << QStringLiteral("pictures");
    QTest::newRow("gradients") << QStringLiteral("gradients");
    QTest::newRow("design mode") << QStringLiteral("designmode");
}

void ButtonRenderingTest::sheetsMatchReferences()
{
    QFETCH(QString, name);
    const Sheet sheet = name == QLatin1String("disabled")    ? disabledSheet()
                        : name == QLatin1String("pictures")  ? picturesSheet()
                        : name == QLatin1String("gradients") ? gradientsSheet()
                                                             : designModeSheet();
    QString why;
    QVERIFY2(matchesReference(sheet.image, name, sheet.captions, &why), qPrintable(why));
}

QTEST_MAIN(ButtonRenderingTest)
#include "tst_buttonrendering.moc"
