#include "ButtonTestSupport.h"

#include "controls/ButtonLayout.h"
#include "controls/ButtonRegion.h"
#include "controls/PictureCache.h"
#include "controls/WidgetContainerHost.h"
#include "controls/kuButtons_H.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QtTest>

using namespace kuButtons;
using namespace ButtonTests;

namespace {

ButtonState withPicture(ButtonState s, const QImage& img, int sizePixels, int align)
{
    s.picture = {img, ButtonPicture::Bitmap};
    s.pictureSize = sizePixels;
    s.pictureAlign = align;
    s.prepare();
    return s;
}

// A bitmap on a near-white background whose channels vary by up to 3 from the corner.
QImage noisyWhiteBitmap(int w, int h, int maxOff)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         qRgb(255 - rng.bounded(maxOff + 1), 255 - rng.bounded(maxOff + 1),
                              255 - rng.bounded(maxOff + 1)));
    img.setPixel(0, 0, qRgb(255, 255, 255));
    for (int y = 8; y < h - 8; ++y)
        for (int x = 10; x < w - 10; ++x)
            img.setPixel(x, y, qRgb(200, 20, 20));
    return img;
}

} // namespace

class ButtonLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void doubleBarBreaksTheLine();
    void captionAlignment_data();
    void captionAlignment();
    void pictureAlignment_data();
    void pictureAlignment();
    void fitKeepsProportions_data();
    void fitKeepsProportions();
    void stretchFillsTheFace();
    void embossedCaptionGrows();
    void diagonalWidening_data();
    void diagonalWidening();
    void diagonalRegionAndInsets();
    void ovalRegions();
    void pictureCacheKey();
    void customShapeLosesNearWhiteBackground();
    void customShapeWidgetTakesThePictureOutline();
    void disabledPictureIsAGreySilhouette_data();
    void disabledPictureIsAGreySilhouette();
    void disabledCaptionIsEtched();
    void pressedContentShifts();
    void shapesMatchReference();
};

void ButtonLayoutTest::doubleBarBreaksTheLine()
{
    const ButtonState one = makeState(Bevel3D, Rectangular, 160, 60, QStringLiteral("First Second"));
    const ButtonState two = makeState(Bevel3D, Rectangular, 160, 60, QStringLiteral("First||Second"));
    const int line = QFontMetrics(one.font).height();
    QCOMPARE(one.layout.text.height(), line);
    QCOMPARE(two.layout.text.height(), 2 * line);
    QVERIFY(two.layout.text.width() < one.layout.text.width());
    QCOMPARE(captionText(QStringLiteral("a||b||c")), QStringLiteral("a\nb\nc"));
    // Both lines are drawn: ink in the top and in the bottom half of the text rectangle.
    const QImage img = ButtonPainter::RedrawButton(two).buffer;
    const QRect t = two.layout.text;
    auto inkIn = [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = t.left(); x <= t.right(); ++x)
                if (qGray(img.pixel(x, y)) < 100)
                    return true;
        return false;
    };
    QVERIFY(inkIn(t.top(), t.top() + line));
    QVERIFY(inkIn(t.top() + line, t.bottom()));
}

void ButtonLayoutTest::captionAlignment_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<int>("expectedLeft");  // -1: not checked
    QTest::addColumn<int>("expectedRight"); // exclusive, -1: not checked
    QTest::newRow("left") << int(AlignLeft) << false << 4 << -1;
    QTest::newRow("left after a left picture") << int(AlignLeft) << true << 24 << -1;
    QTest::newRow("right") << int(AlignRight) << false << -1 << 116;
    QTest::newRow("right with a left picture") << int(AlignRight) << true << -1 << 116;
}

void ButtonLayoutTest::captionAlignment()
{
    QFETCH(int, align);
    QFETCH(bool, picture);
    QFETCH(int, expectedLeft);
    QFETCH(int, expectedRight);
    ButtonState s = makeState(Bevel3D, Rectangular, 120, 30, QStringLiteral("Text"));
    s.captionAlign = align;
    if (picture)
        s = withPicture(s, discBitmap(), 16, PicLeftEdge);
    s.prepare();
    if (expectedLeft >= 0)
        QCOMPARE(s.layout.text.left(), expectedLeft);
    if (expectedRight >= 0)
        QCOMPARE(s.layout.text.right() + 1, expectedRight);
    // Centred without picture.
    ButtonState c = makeState(Bevel3D, Rectangular, 120, 30, QStringLiteral("Text"));
    QVERIFY(std::abs((c.layout.text.left() - 0) - (120 - c.layout.text.right() - 1)) <= 1);
}

void ButtonLayoutTest::pictureAlignment_data()
{
    QTest::addColumn<int>("align");
    QTest::newRow("left edge") << int(PicLeftEdge);
    QTest::newRow("left of caption") << int(PicLeftOfCaption);
    QTest::newRow("right edge") << int(PicRightEdge);
    QTest::newRow("right of caption") << int(PicRightOfCaption);
    QTest::newRow("top centre") << int(PicTopCenter);
    QTest::newRow("bottom centre") << int(PicBottomCenter);
}

void ButtonLayoutTest::pictureAlignment()
{
    QFETCH(int, align);
    const int W = 140;
    const int H = 64;
    ButtonState s = withPicture(makeState(Bevel3D, Rectangular, W, H, QStringLiteral("Caption")),
                                discBitmap(), 16, align);
    const QRect p = s.layout.picture;
    const QRect t = s.layout.text;
    QCOMPARE(p.size(), QSize(16, 16));
    switch (align) {
    case PicLeftEdge:
        QCOMPARE(p.left(), 4);
        QCOMPARE(p.top(), (H - 16) / 2);
        QVERIFY(t.left() > p.right());
        break;
    case PicLeftOfCaption:
        QCOMPARE(p.right() + 1 + 4, t.left());
        // Picture, gap and caption are centred together.
        QVERIFY(std::abs(p.left() - (W - 1 - t.right())) <= 1);
        break;
    case PicRightEdge:
        QCOMPARE(p.right() + 1, W - 4);
        QVERIFY(t.right() < p.left());
        break;
    case PicRightOfCaption:
        QCOMPARE(t.right() + 1 + 4, p.left());
        QVERIFY(std::abs(t.left() - (W - 1 - p.right())) <= 1);
        break;
    case PicTopCenter:
        QCOMPARE(p.left(), (W - 16) / 2);
        QCOMPARE(t.top(), p.bottom() + 1 + 2);
        QVERIFY(std::abs(p.top() - (H - 1 - t.bottom())) <= 1);
        break;
    case PicBottomCenter:
        QCOMPARE(p.left(), (W - 16) / 2);
        QCOMPARE(p.top(), t.bottom() + 1 + 2);
        break;
    }
    // Every picture keeps 4 pixels from the borders.
    QVERIFY(QRect(4, 4, W - 8, H - 8).contains(p));
}

void ButtonLayoutTest::fitKeepsProportions_data()
{
    QTest::addColumn<QSize>("button");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("60x30 with 32x32") << QSize(60, 30) << QSize(32, 32) << QRect(21, 6, 18, 18);
    QTest::newRow("wide picture") << QSize(100, 100) << QSize(44, 22) << QRect(6, 28, 88, 44);
    QTest::newRow("tall picture") << QSize(52, 112) << QSize(10, 30) << QRect(9, 6, 33, 100);
}

void ButtonLayoutTest::fitKeepsProportions()
{
    QFETCH(QSize, button);
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    QImage img(picture, QImage::Format_RGB32);
    img.fill(Qt::white); // the key, from the top-left pixel
    QPainter(&img).fillRect(img.rect().adjusted(1, 1, -1, -1), Qt::blue);
    const ButtonState s = withPicture(
        makeState(Bevel3D, Rectangular, button.width(), button.height(), QString()), img, 48, PicLeftEdge);
    QCOMPARE(s.layout.picture, expected);
    QVERIFY(s.layout.rebuildCache);
    QCOMPARE(s.pictureCache.image().size(), expected.size());
    // And it is drawn there.
    const QImage out = ButtonPainter::RedrawButton(s).buffer;
    QCOMPARE(uint(fromQRgb(out.pixel(expected.center()))), uint(RGBColour(0, 0, 255)));
}

void ButtonLayoutTest::stretchFillsTheFace()
{
    ButtonState s =
        withPicture(makeState(Bevel3D, Rectangular, 50, 40, QString()), discBitmap(), 40, PicLeftEdge);
    QCOMPARE(s.layout.picture, QRect(3, 3, 44, 34));
    s.buttonShape = OvalOutlined;
    s.prepare();
    QCOMPARE(s.layout.picture, QRect(1, 1, 48, 38));
}

void ButtonLayoutTest::embossedCaptionGrows()
{
    ButtonState flat = makeState(Bevel3D, Rectangular, 120, 30, QStringLiteral("Emboss"));
    ButtonState emb = flat;
    emb.captionStyle = Embossed;
    emb.prepare();
    QCOMPARE(emb.layout.text.width(), flat.layout.text.width() + 2);
    QCOMPARE(emb.layout.text.height(), flat.layout.text.height() + 2);
}

void ButtonLayoutTest::diagonalWidening_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("expected");
    QTest::newRow("20 x 19 widens to 25") << 20 << 19 << 25;
    QTest::newRow("room enough") << 30 << 19 << 30;
    QTest::newRow("exactly 4 is not enough") << 24 << 19 << 29;
    QTest::newRow("several steps") << 3 << 19 << 28;
}

void ButtonLayoutTest::diagonalWidening()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, expected);
    QCOMPARE(ButtonRegion::diagonalWidth(width, height), expected);
    for (int shape : {int(DiagonalLeft), int(DiagonalRight), int(DiagonalBoth)}) {
        QWidget form;
        ScriptedDialogs dialogs;
        WidgetContainerHost host(&form, dialogs);
        kuButtons_H b(host, &form);
        b.resize(width, height);
        b.InitProperties();
        b.setButtonShape(shape);
        QCOMPARE(b.Width(), expected);
        QCOMPARE(b.Height(), height);
        QCOMPARE(b.hdc().size(), QSize(expected, height));
    }
}

void ButtonLayoutTest::diagonalRegionAndInsets()
{
    const ButtonGeometry left = ButtonRegion::BuildRegion(DiagonalLeft, Bevel3D, true, 60, 20);
    QCOMPARE(left.leftInset, 21);
    QCOMPARE(left.rightLimit, 60);
    QVERIFY(left.window.contains(QPoint(1, 0)));
    QVERIFY(!left.window.contains(QPoint(1, 19)));
    QVERIFY(left.window.contains(QPoint(59, 19)));
    const ButtonGeometry right = ButtonRegion::BuildRegion(DiagonalRight, Bevel3D, true, 60, 20);
    QCOMPARE(right.rightLimit, 60 - 21);
    QVERIFY(!right.window.contains(QPoint(58, 0)));
    QVERIFY(right.window.contains(QPoint(58, 19)));
    const ButtonGeometry both = ButtonRegion::BuildRegion(DiagonalBoth, Bevel3D, true, 60, 20);
    QVERIFY(!both.window.contains(QPoint(1, 19)) && !both.window.contains(QPoint(58, 0)));
    // Rounded styles lose their corners; plain ones need no mask at all.
    QVERIFY(ButtonRegion::BuildRegion(Rectangular, Bevel3D, true, 60, 20).window.isEmpty());
    const QRegion rounded = ButtonRegion::BuildRegion(Rectangular, BrightRounded, true, 60, 20).window;
    QVERIFY(!rounded.contains(QPoint(0, 0)) && !rounded.contains(QPoint(59, 19)));
    QVERIFY(rounded.contains(QPoint(2, 2)) && rounded.contains(QPoint(30, 0)));
}

void ButtonLayoutTest::ovalRegions()
{
    const ButtonGeometry g = ButtonRegion::BuildRegion(OvalShaded, Bevel3D, true, 80, 40);
    QVERIFY(!g.window.contains(QPoint(0, 0)));
    QVERIFY(g.window.contains(QPoint(40, 20)));
    QVERIFY(g.window.contains(QPoint(40, 0)));
    QVERIFY(!g.outerClip.contains(QPoint(40, 0)));
    QVERIFY(g.outerClip.contains(QPoint(40, 1)));
    QVERIFY(!g.innerClip.contains(QPoint(40, 1)));
    QVERIFY(g.innerClip.contains(QPoint(40, 2)));
}

void ButtonLayoutTest::pictureCacheKey()
{
    QImage img(4, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(100, 100, 100));
    img.setPixel(1, 0, qRgb(103, 97, 102));  // within 3: becomes the key
    img.setPixel(2, 0, qRgb(104, 100, 100)); // 4 off in red: kept
    img.setPixel(3, 0, qRgb(0, 0, 0));
    PictureCache cache;
    cache.build(img, img.size());
    QCOMPARE(cache.key() & 0xFFFFFF, qRgb(100, 100, 100) & 0xFFFFFF);
    QCOMPARE(cache.image().pixel(1, 0), qRgb(100, 100, 100));
    QCOMPARE(cache.image().pixel(2, 0), qRgb(104, 100, 100));
    QCOMPARE(cache.transparentRegion(), QRegion(0, 0, 2, 1));
}

void ButtonLayoutTest::customShapeLosesNearWhiteBackground()
{
    const QImage img = noisyWhiteBitmap(40, 30, 3);
    PictureCache cache;
    cache.build(img, img.size());
    const ButtonGeometry g = ButtonRegion::BuildRegion(CustomShape1, Bevel3D, true, 40, 30, &cache);
    QCOMPARE(g.window, QRegion(10, 8, 20, 14));
    QCOMPARE(g.outerClip, QRegion(11, 9, 18, 12));
    QCOMPARE(g.innerClip, QRegion(12, 10, 16, 10));
    // A background that varies by 4 keeps most of its pixels.
    const QImage rough = noisyWhiteBitmap(40, 30, 4);
    PictureCache roughCache;
    roughCache.build(rough, rough.size());
    const ButtonGeometry r = ButtonRegion::BuildRegion(CustomShape1, Bevel3D, true, 40, 30, &roughCache);
    QVERIFY(r.window != QRegion(10, 8, 20, 14));
    // No usable bitmap, no region.
    QVERIFY(ButtonRegion::BuildRegion(CustomShape1, Bevel3D, true, 40, 30, nullptr).window.isEmpty());
}

void ButtonLayoutTest::customShapeWidgetTakesThePictureOutline()
{
    QWidget form;
    ScriptedDialogs dialogs;
    WidgetContainerHost host(&form, dialogs);
    kuButtons_H b(host, &form);
    b.resize(80, 80);
    b.InitProperties();
    b.setPicture({noisyWhiteBitmap(40, 30, 3), ButtonPicture::Bitmap});
    b.setButtonShape(CustomShape2);
    // Fitted into 80 x 80 keeping 4:3: 80 x 60.
    QCOMPARE(b.size(), QSize(80, 60));
    QCOMPARE(b.mask(), QRegion(20, 16, 40, 28));
    // The picture is drawn over the whole client area; the opaque part shows.
    QCOMPARE(uint(fromQRgb(b.hdc().pixel(40, 30))), uint(RGBColour(200, 20, 20)));
}

void ButtonLayoutTest::disabledPictureIsAGreySilhouette_data()
{
    QTest::addColumn<bool>("icon");
    QTest::newRow("bitmap on a magenta key") << false;
    QTest::newRow("icon with transparency") << true;
}

// A disabled picture shows as one flat grey shape: wherever the picture has any colour
// (white, red or black alike) the grey brush shows, wherever it is transparent the face
// stays.
void ButtonLayoutTest::disabledPictureIsAGreySilhouette()
{
    QFETCH(bool, icon);
    const QRect square(4, 4, 8, 8); // the opaque part, in picture pixels
    QImage img(16, 16, icon ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(icon ? QColor(Qt::transparent) : QColor(255, 0, 255));
    {
        QPainter p(&img);
        p.fillRect(square, QColor(220, 30, 30));
        p.fillRect(QRect(6, 6, 4, 4), Qt::white);
        p.fillRect(QRect(4, 11, 8, 1), Qt::black);
    }
    ButtonState s = makeState(FlatLine, Rectangular, 60, 24, QString());
    s.picture = {img, icon ? ButtonPicture::Icon : ButtonPicture::Bitmap};
    s.pictureSize = 16;
    s.pictureAlign = PicLeftEdge;
    s.enabled = false;
    s.prepare();
    const QRect p = s.layout.picture;
    QCOMPARE(p.size(), QSize(16, 16));
    const QImage off = ButtonPainter::RedrawButton(s).buffer;
    const Colour face = RGBColour(212, 208, 200);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint expected = square.contains(x, y) ? 0x808080u : uint(face);
            const uint got = uint(fromQRgb(off.pixel(p.x() + x, p.y() + y)));
            if (got != expected)
                QFAIL(qPrintable(QStringLiteral("picture pixel (%1, %2) is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(got, 6, 16, QLatin1Char('0'))
                                     .arg(expected, 6, 16, QLatin1Char('0'))));
        }
    // Enabled, the same pixels are the picture's own.
    s.enabled = true;
    const QImage on = ButtonPainter::RedrawButton(s).buffer;
    QCOMPARE(uint(fromQRgb(on.pixel(p.topLeft() + QPoint(4, 4)))), uint(RGBColour(220, 30, 30)));
    QCOMPARE(uint(fromQRgb(on.pixel(p.topLeft() + QPoint(7, 7)))), 0xFFFFFFu);
    QCOMPARE(uint(fromQRgb(on.pixel(p.topLeft() + QPoint(0, 0)))), uint(face));
}

void ButtonLayoutTest::disabledCaptionIsEtched()
{
    ButtonState s = makeState(FlatLine, Rectangular, 90, 30, QStringLiteral("Etched"));
    s.enabled = false;
    const QImage img = ButtonPainter::RedrawButton(s).buffer;
    const QRect t = s.layout.text.adjusted(0, 0, 1, 1);
    int white = 0;
    int grey = 0;
    int dark = 0;
    for (int y = t.top(); y <= t.bottom(); ++y)
        for (int x = t.left(); x <= t.right(); ++x) {
            const QRgb c = img.pixel(x, y);
            white += qGray(c) > 235;
            grey += qGray(c) >= 100 && qGray(c) < 170;
            dark += qGray(c) < 100;
        }
    QVERIFY2(white > 5, "white highlight of the etched text");
    QVERIFY2(grey > 5, "grey text");
    QCOMPARE(dark, 0);
    // A disabled check box draws its caption once, in grey, without the highlight.
    s.mode = CheckBox;
    const QImage box = ButtonPainter::RedrawButton(s).buffer;
    int boxWhite = 0;
    for (int y = t.top(); y <= t.bottom(); ++y)
        for (int x = t.left(); x <= t.right(); ++x)
            boxWhite += qGray(box.pixel(x, y)) > 235;
    QCOMPARE(boxWhite, 0);
    // In every style, off or on, a disabled check box's caption is grey, never the dark
    // caption colour some styles give a box that is on.
    for (int style = 0; style < 8; ++style)
        for (bool on : {false, true}) {
            ButtonState c = makeState(style, Rectangular, 90, 30, QStringLiteral("Etched"));
            c.enabled = false;
            c.mode = CheckBox;
            c.value = on;
            c.prepare();
            const QImage cImg = ButtonPainter::RedrawButton(c).buffer;
            const QRect ct = c.layout.text.adjusted(0, 0, 1, 1);
            int darkest = 255;
            for (int y = ct.top(); y <= ct.bottom(); ++y)
                for (int x = ct.left(); x <= ct.right(); ++x)
                    darkest = std::min(darkest, qGray(cImg.pixel(x, y)));
            QVERIFY2(darkest >= 100 && darkest <= 140,
                     qPrintable(QStringLiteral("style %1, %2: darkest caption pixel %3")
                                    .arg(style)
                                    .arg(on ? "on" : "off")
                                    .arg(darkest)));
        }
}

void ButtonLayoutTest::pressedContentShifts()
{
    ButtonState s =
        withPicture(makeState(Bevel3D, Rectangular, 60, 24, QString()), discBitmap(16), 16, PicLeftEdge);
    const QPoint c = s.layout.picture.topLeft() + QPoint(8, 1);
    const QImage up = ButtonPainter::RedrawButton(s).buffer;
    s.stateBits = IsPressed | IsOver;
    const QImage down = ButtonPainter::RedrawButton(s).buffer;
    QCOMPARE(down.pixel(c + QPoint(1, 1)), up.pixel(c));
    // Style 3 never moves its content.
    s.buttonStyle = GreyFramed;
    s.stateBits = 0;
    s.deriveColours();
    const QImage gUp = ButtonPainter::RedrawButton(s).buffer;
    s.stateBits = IsPressed | IsOver;
    const QImage gDown = ButtonPainter::RedrawButton(s).buffer;
    QCOMPARE(gDown.pixel(c), gUp.pixel(c));
}

// All nine shapes in four looks against a reference: the default style at rest, the
// bright rounded style shown as default, the default style hovered and pressed, and a
// shaded rounded check box that is on. Pixels outside the window's shape are magenta.
void ButtonLayoutTest::shapesMatchReference()
{
    const int W = 70;
    const int H = 30;
    const int rows = 4;
    QImage sheet(W * 9, H * rows, QImage::Format_RGB32);
    sheet.fill(Qt::magenta);
    QRegion text;
    QImage picture = discBitmap(32);
    const int styles[rows] = {Bevel3D, BrightRounded, Bevel3D, ShadedRounded};
    for (int row = 0; row < rows; ++row)
        for (int shape = 0; shape <= CustomShape2; ++shape) {
            ButtonState s = makeState(styles[row], shape, W, H, QStringLiteral("Shape"));
            if (isCustomShape(shape)) {
                s.picture = {picture, ButtonPicture::Bitmap};
                s.pictureSize = 48;
                s.width = s.height = H;
            }
            if (row == 1)
                s.stateBits = IsDefault;
            if (row == 2) {
                s.hovering = true;
                s.stateBits = IsOver | IsPressed;
            }
            if (row == 3) {
                s.mode = CheckBox;
                s.value = true;
            }
            s.prepare();
            const QImage img = ButtonPainter::RedrawButton(s).window;
            for (int y = 0; y < s.height; ++y)
                for (int x = 0; x < s.width; ++x)
                    if (s.geometry.window.isEmpty() || s.geometry.window.contains(QPoint(x, y)))
                        sheet.setPixel(shape * W + x, row * H + y, img.pixel(x, y));
            text += s.layout.text.adjusted(-2, -2, 3, 4).translated(shape * W, row * H);
        }
    QString why;
    QVERIFY2(matchesReference(sheet, QStringLiteral("shapes"), text, &why), qPrintable(why));
}

QTEST_MAIN(ButtonLayoutTest)
#include "tst_buttonlayout.moc"
