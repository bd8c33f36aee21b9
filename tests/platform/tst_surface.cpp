#include "platform/CommandError.h"
#include "platform/Dialogs.h"
#include "platform/Surface.h"
#include "platform/SystemColor.h"
#include "platform/Twips.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QtTest>

class SurfaceTest : public QObject {
    Q_OBJECT
private slots:
    void pixelOutsideIsInvalid_data();
    void pixelOutsideIsInvalid();
    void setBackColorClearsEverything();
    void resizeKeepsWhatFits();
    void plainCopyIsClipped_data();
    void plainCopyIsClipped();
    void colourKeyedCopySkipsOnlyTheKey();
    void lineLeavesEndPointUnpainted_data();
    void lineLeavesEndPointUnpainted();
    void rectangleOutline();
    void blendFormula_data();
    void blendFormula();
    void blendRowsFollowTheFormula_data();
    void blendRowsFollowTheFormula();
    void blendIsClippedAndKeepsOutside();
    void splitColor_data();
    void splitColor();
    void systemColours();
    void twipsAt96Dpi();
    void nameFilters_data();
    void nameFilters();
    void scriptedDialogsCancelLikeCommonDialogs();
};

void SurfaceTest::pixelOutsideIsInvalid_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("inside");
    QTest::newRow("origin") << 0 << 0 << true;
    QTest::newRow("last") << 47 << 55 << true;
    QTest::newRow("right of") << 48 << 0 << false;
    QTest::newRow("below") << 0 << 56 << false;
    QTest::newRow("left of") << -1 << 10 << false;
    QTest::newRow("above") << 10 << -1 << false;
}

void SurfaceTest::pixelOutsideIsInvalid()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, inside);
    Surface s(48, 56, RGBColour(1, 2, 3));
    QCOMPARE(s.pixel(x, y), inside ? RGBColour(1, 2, 3) : InvalidColour);
    s.setPixel(x, y, RGBColour(9, 9, 9)); // outside writes are ignored, never crash
    QCOMPARE(s.pixel(x, y), inside ? RGBColour(9, 9, 9) : InvalidColour);
}

void SurfaceTest::setBackColorClearsEverything()
{
    Surface s(8, 8, 0);
    s.setPixel(3, 3, RGBColour(255, 0, 0));
    s.setBackColor(RGBColour(0, 255, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            QCOMPARE(s.pixel(x, y), RGBColour(0, 255, 0));
    QCOMPARE(s.backColor(), RGBColour(0, 255, 0));
}

void SurfaceTest::resizeKeepsWhatFits()
{
    Surface s(4, 4, RGBColour(7, 7, 7));
    s.setPixel(1, 1, RGBColour(200, 0, 0));
    s.resize(6, 3);
    QCOMPARE(s.size(), QSize(6, 3));
    QCOMPARE(s.pixel(1, 1), RGBColour(200, 0, 0));
    QCOMPARE(s.pixel(5, 2), RGBColour(7, 7, 7));
}

void SurfaceTest::plainCopyIsClipped_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("sx");
    QTest::addColumn<int>("sy");
    QTest::addColumn<QPoint>("probe"); // destination pixel
    QTest::addColumn<bool>("copied");
    QTest::newRow("inside") << 2 << 2 << 0 << 0 << QPoint(2, 2) << true;
    QTest::newRow("negative source origin leaves the top-left alone")
        << 0 << 0 << -3 << -3 << QPoint(1, 1) << false;
    QTest::newRow("negative source origin lands shifted") << 0 << 0 << -3 << -3 << QPoint(3, 3) << true;
    QTest::newRow("negative destination") << -2 << -2 << 0 << 0 << QPoint(0, 0) << true;
    QTest::newRow("past the right edge") << 9 << 0 << 0 << 0 << QPoint(9, 0) << true;
}

void SurfaceTest::plainCopyIsClipped()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(int, sx);
    QFETCH(int, sy);
    QFETCH(QPoint, probe);
    QFETCH(bool, copied);
    Surface src(4, 4, RGBColour(10, 20, 30));
    Surface dst(10, 10, 0);
    dst.copyFrom(src, dx, dy, 8, 8, sx, sy);
    QCOMPARE(dst.pixel(probe.x(), probe.y()), copied ? RGBColour(10, 20, 30) : Colour(0));
}

void SurfaceTest::colourKeyedCopySkipsOnlyTheKey()
{
    const Colour key = RGBColour(0, 0, 255);
    Surface overlay(4, 1, key);
    overlay.setPixel(1, 0, RGBColour(50, 50, 50));
    overlay.setPixel(2, 0, RGBColour(0, 0, 254)); // one off the key: copied
    Surface view(4, 1, RGBColour(9, 8, 7));
    view.transparentCopyFrom(overlay, 0, 0, 4, 1, 0, 0, key);
    QCOMPARE(view.pixel(0, 0), RGBColour(9, 8, 7));
    QCOMPARE(view.pixel(1, 0), RGBColour(50, 50, 50));
    QCOMPARE(view.pixel(2, 0), RGBColour(0, 0, 254));
    QCOMPARE(view.pixel(3, 0), RGBColour(9, 8, 7));
}

void SurfaceTest::lineLeavesEndPointUnpainted_data()
{
    QTest::addColumn<QLine>("line");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("lastPainted");
    QTest::newRow("vertical") << QLine(3, 0, 3, 10) << QPoint(3, 0) << QPoint(3, 9);
    QTest::newRow("horizontal") << QLine(0, 4, 12, 4) << QPoint(0, 4) << QPoint(11, 4);
    QTest::newRow("diagonal") << QLine(0, 0, 5, 5) << QPoint(0, 0) << QPoint(4, 4);
    QTest::newRow("leftwards") << QLine(10, 2, 4, 2) << QPoint(10, 2) << QPoint(5, 2);
}

void SurfaceTest::lineLeavesEndPointUnpainted()
{
    QFETCH(QLine, line);
    QFETCH(QPoint, first);
    QFETCH(QPoint, lastPainted);
    const Colour ink = RGBColour(50, 50, 50);
    Surface s(16, 16, 0);
    s.line(line.x1(), line.y1(), line.x2(), line.y2(), ink);
    QCOMPARE(s.pixel(first.x(), first.y()), ink);
    QCOMPARE(s.pixel(lastPainted.x(), lastPainted.y()), ink);
    QCOMPARE(s.pixel(line.x2(), line.y2()), Colour(0));
}

void SurfaceTest::rectangleOutline()
{
    Surface s(16, 16, RGBColour(255, 0, 0));
    s.rectangle(0, 0, 16, 16, 0);
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(s.pixel(i, 0), Colour(0));
        QCOMPARE(s.pixel(i, 15), Colour(0));
        QCOMPARE(s.pixel(0, i), Colour(0));
        QCOMPARE(s.pixel(15, i), Colour(0));
    }
    QCOMPARE(s.pixel(1, 1), RGBColour(255, 0, 0));
    QCOMPARE(s.pixel(14, 14), RGBColour(255, 0, 0));
}

void SurfaceTest::blendFormula_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<int>("expected");
    QTest::newRow("alpha 0 keeps the destination") << 255 << 17 << 0 << 17;
    QTest::newRow("alpha 255 copies") << 200 << 17 << 255 << 200;
    QTest::newRow("80 percent of white over black") << 255 << 0 << 204 << 204;
    QTest::newRow("80 percent of black over white") << 0 << 255 << 204 << 51;
    QTest::newRow("equal channels stay") << 1 << 1 << 128 << 1;
    QTest::newRow("half way rounds") << 255 << 0 << 128 << 128;
    QTest::newRow("mid values") << 100 << 200 << 51 << 180;
}

void SurfaceTest::blendFormula()
{
    QFETCH(int, source);
    QFETCH(int, destination);
    QFETCH(int, alpha);
    QFETCH(int, expected);
    QCOMPARE(Surface::blendChannel(source, destination, alpha), expected);

    QImage src(1, 1, QImage::Format_RGB32);
    src.fill(qRgb(source, source, source));
    Surface dst(1, 1, RGBColour(destination, destination, destination));
    dst.blendFrom(src, 0, 0, 1, 1, 0, 0, alpha);
    // Every channel follows the same formula.
    QCOMPARE(redOf(dst.pixel(0, 0)), expected);
    QCOMPARE(greenOf(dst.pixel(0, 0)), expected);
    QCOMPARE(blueOf(dst.pixel(0, 0)), expected);
}

void SurfaceTest::blendRowsFollowTheFormula_data()
{
    QTest::addColumn<int>("alpha");
    for (int alpha : {0, 1, 77, 128, 204, 254, 255})
        QTest::addRow("alpha %d", alpha) << alpha;
}

void SurfaceTest::blendRowsFollowTheFormula()
{
    // Every channel value, each channel different, in a row of an odd width: the wide path,
    // its lanes and the pixels after the last whole group all follow the one formula.
    QFETCH(int, alpha);
    const int width = 259;
    QImage src(width, 1, QImage::Format_RGB32);
    Surface dst(width, 1, 0);
    const auto sourceOf = [](int i) { return qRgb(i & 255, 255 - (i & 255), (i * 7) & 255); };
    const auto destinationOf = [](int i) { return qRgb((i * 13) & 255, i & 255, 255 - (i & 255)); };
    for (int i = 0; i < width; ++i) {
        src.setPixel(i, 0, sourceOf(i));
        dst.image().setPixel(i, 0, destinationOf(i));
    }
    dst.blendFrom(src, 0, 0, width, 1, 0, 0, alpha);
    for (int i = 0; i < width; ++i) {
        const QRgb s = sourceOf(i), d = destinationOf(i);
        const QRgb expected = qRgb(Surface::blendChannel(qRed(s), qRed(d), alpha),
                                   Surface::blendChannel(qGreen(s), qGreen(d), alpha),
                                   Surface::blendChannel(qBlue(s), qBlue(d), alpha));
        QCOMPARE(QString::number(dst.image().pixel(i, 0), 16), QString::number(expected, 16));
    }
}

void SurfaceTest::blendIsClippedAndKeepsOutside()
{
    QImage src(10, 10, QImage::Format_RGB32);
    src.fill(qRgb(255, 255, 255));
    Surface dst(8, 8, 0);
    dst.blendFrom(src, 5, 5, 10, 10, 0, 0, 255);
    QCOMPARE(dst.pixel(4, 4), Colour(0));
    QCOMPARE(dst.pixel(5, 5), RGBColour(255, 255, 255));
    QCOMPARE(dst.pixel(7, 7), RGBColour(255, 255, 255));
}

void SurfaceTest::splitColor_data()
{
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::newRow("black") << Colour(0) << 0 << 0 << 0;
    QTest::newRow("orange") << RGBColour(255, 128, 0) << 255 << 128 << 0;
    QTest::newRow("blue") << RGBColour(0, 0, 255) << 0 << 0 << 255;
    QTest::newRow("invalid") << InvalidColour << 255 << 255 << 0;
}

void SurfaceTest::splitColor()
{
    QFETCH(Colour, colour);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QCOMPARE(SplitColor(colour), (ColorParts{r, g, b}));
}

void SurfaceTest::systemColours()
{
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::ButtonText, QColor(4, 5, 6));
    palette.setColor(QPalette::ToolTipBase, QColor(7, 8, 9));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(10, 11, 12));
    QCOMPARE(SystemColorToRgb(0x8000000F, palette), RGBColour(1, 2, 3));
    QCOMPARE(SystemColorToRgb(0x80000012, palette), RGBColour(4, 5, 6));
    QCOMPARE(SystemColorToRgb(0x80000018, palette), RGBColour(7, 8, 9));
    QCOMPARE(SystemColorToRgb(0x80000011, palette), RGBColour(10, 11, 12));
    QCOMPARE(SystemColorToRgb(RGBColour(200, 100, 50), palette), RGBColour(200, 100, 50));
}

void SurfaceTest::twipsAt96Dpi()
{
    // The offscreen platform reports 96 dots per inch.
    QCOMPARE(twipsPerPixelX(), 15.0);
    QCOMPARE(twipsPerPixelY(), 15.0);
}

void SurfaceTest::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("description already names the pattern")
        << "JPEG Image (*.jpg)|*.jpg" << QStringList{"JPEG Image (*.jpg)"};
    QTest::newRow("several") << "Windows Bitmap (*.bmp)|*.bmp|GIF Image (*.gif)|*.gif"
                             << QStringList{"Windows Bitmap (*.bmp)", "GIF Image (*.gif)"};
    QTest::newRow("plain description") << "Pictures|*.png;*.jpg" << QStringList{"Pictures (*.png *.jpg)"};
}

void SurfaceTest::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(toQtNameFilters(filter), expected);
}

void SurfaceTest::scriptedDialogsCancelLikeCommonDialogs()
{
    ScriptedDialogs dialogs;
    dialogs.fileAnswers.enqueue(QStringLiteral("/tmp/a.jpg"));
    QCOMPARE(dialogs.openFileName({"Load Portrait", "JPEG Image (*.jpg)|*.jpg"}),
             QStringLiteral("/tmp/a.jpg"));
    try {
        dialogs.saveFileName({"Save Portrait", "JPEG Image (*.jpg)|*.jpg"});
        QFAIL("an empty script must cancel");
    } catch (const CommandError& e) {
        QCOMPARE(e.number(), 32755);
    }
    QCOMPARE(dialogs.fileRequests.size(), 2);
    QCOMPARE(dialogs.fileRequestWasSave, (QList<bool>{false, true}));
}

QTEST_MAIN(SurfaceTest)
#include "tst_surface.moc"
