#include "canvas/ColourReduction.h"
#include "import/PictureScale.h"

#include <QtTest>
#include <algorithm>
#include <set>

namespace {

QImage gradient()
{
    QImage image(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            image.setPixel(x, y, qRgb(x * 5, y * 4, 255 - (x + y) * 2));
    return image;
}

// Clusters of near colours, as a photo shrunk to portrait size gives.
QImage clusters(int count)
{
    const QRgb base[] = {qRgb(200, 160, 130), qRgb(60, 40, 30),  qRgb(30, 90, 170),
                         qRgb(220, 220, 210), qRgb(150, 30, 40), qRgb(40, 140, 60)};
    QImage image(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const QRgb b = base[(x / 8 + y / 8) % count];
            const int n = (x * 7 + y * 13) % 5;
            image.setPixel(x, y, qRgb(qRed(b) + n, qGreen(b) - n, qBlue(b) + n % 2));
        }
    return image;
}

QImage fewColours()
{
    QImage image(48, 56, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    image.setPixel(5, 5, qRgb(250, 0, 0));
    image.setPixel(6, 5, qRgb(0, 250, 0));
    return image;
}

// The same cells in other places: rows reversed and columns rotated.
QImage moved(const QImage& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.setPixel((x + 17) % image.width(), image.height() - 1 - y, image.pixel(x, y));
    return out;
}

// A picture of runs: cells[i] pixels of colours[i], the rest colours[0].
QImage runs(const QList<quint32>& colours, const QList<int>& cells)
{
    QImage image(48, 56, QImage::Format_RGB32);
    image.fill(toQRgb(colours[0]));
    int at = 0;
    for (qsizetype i = 0; i < colours.size(); ++i)
        for (int k = 0; k < cells[i]; ++k, ++at)
            image.setPixel(at % 48, at / 48, toQRgb(colours[i]));
    return image;
}

std::set<Colour> coloursOf(const QImage& image)
{
    std::set<Colour> all;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            all.insert(fromQRgb(image.pixel(x, y)));
    return all;
}

} // namespace

class ColourReductionTest : public QObject {
    Q_OBJECT
private slots:
    void okLabMatchesReference_data();
    void okLabMatchesReference();
    void reduction_data();
    void reduction();
    void merge_data();
    void merge();
    void photoPortraitsAsCloseAsThePeers_data();
    void photoPortraitsAsCloseAsThePeers();
};

void ColourReductionTest::okLabMatchesReference_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<double>("L");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    // Published OKLab values of the sRGB primaries and white.
    QTest::newRow("white") << RGBColour(255, 255, 255) << 1.0 << 0.0 << 0.0;
    QTest::newRow("red") << RGBColour(255, 0, 0) << 0.627955 << 0.224863 << 0.125846;
    QTest::newRow("green") << RGBColour(0, 255, 0) << 0.866440 << -0.233888 << 0.179498;
    QTest::newRow("blue") << RGBColour(0, 0, 255) << 0.452014 << -0.032457 << -0.311528;
    QTest::newRow("black") << RGBColour(0, 0, 0) << 0.0 << 0.0 << 0.0;
}

void ColourReductionTest::okLabMatchesReference()
{
    QFETCH(quint32, colour);
    QFETCH(double, L);
    QFETCH(double, a);
    QFETCH(double, b);
    const ColourReduction::Lab lab = ColourReduction::toOkLab(colour);
    QVERIFY(std::abs(lab.L - L) < 1e-4 && std::abs(lab.a - a) < 1e-4 && std::abs(lab.b - b) < 1e-4);
    QCOMPARE(ColourReduction::fromOkLab(lab), Colour(colour));
}

void ColourReductionTest::reduction_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<int>("most");
    QTest::addColumn<int>("expected"); // colours afterwards
    QTest::newRow("gradient to 16") << gradient() << 16 << 16;
    QTest::newRow("gradient to 1") << gradient() << 1 << 1;
    QTest::newRow("six noisy clusters to 6") << clusters(6) << 6 << 6;
    QTest::newRow("three noisy clusters to 3") << clusters(3) << 3 << 3;
    QTest::newRow("fewer than asked stay") << fewColours() << 16 << 3;
}

void ColourReductionTest::reduction()
{
    QFETCH(QImage, picture);
    QFETCH(int, most);
    QFETCH(int, expected);
    const ColourReduction colours(picture);
    const QImage reduced = colours.reduced(most);
    const std::set<Colour> palette = coloursOf(reduced);
    QCOMPARE(int(palette.size()), expected);
    QCOMPARE(ColourReduction(reduced).colourCount(), expected);
    if (colours.colourCount() <= most)
        QCOMPARE(reduced, picture);

    // Every cell took the palette colour nearest to its own, in OKLab.
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const ColourReduction::Lab own = ColourReduction::toOkLab(fromQRgb(picture.pixel(x, y)));
            const double taken =
                ColourReduction::distance2(own, ColourReduction::toOkLab(fromQRgb(reduced.pixel(x, y))));
            for (Colour c : palette)
                QVERIFY2(taken <= ColourReduction::distance2(own, ColourReduction::toOkLab(c)) + 1e-12,
                         qPrintable(QStringLiteral("cell (%1, %2)").arg(x).arg(y)));
        }

    // A noisy cluster becomes one colour: cells of one cluster agree.
    if (QTest::currentDataTag() == QByteArray("six noisy clusters to 6")) {
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 48; ++x)
                QCOMPARE(reduced.pixel(x, y), reduced.pixel((x / 8) * 8, (y / 8) * 8));
    }

    // The same result every time, and wherever the cells lie.
    QCOMPARE(colours.reduced(most), reduced);
    QCOMPARE(ColourReduction(moved(picture)).reduced(most), moved(reduced));
}

void ColourReductionTest::merge_data()
{
    QTest::addColumn<QList<quint32>>("colours"); // the first also fills the rest of the picture
    QTest::addColumn<QList<int>>("cells");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QList<quint32>>("become"); // what each colour turns into
    const Colour grey = RGBColour(100, 100, 100), near = RGBColour(102, 99, 101),
                 edge = RGBColour(103, 97, 100);
    const Colour far = RGBColour(150, 100, 100), blueOff = RGBColour(100, 100, 104);
    QTest::newRow("noise joins the most frequent")
        << QList<quint32>{grey, near, edge, far} << QList<int>{0, 40, 20, 30} << 3
        << QList<quint32>{grey, grey, grey, far};
    QTest::newRow("tolerance 0 keeps all")
        << QList<quint32>{grey, near, edge} << QList<int>{0, 40, 20} << 0 << QList<quint32>{grey, near, edge};
    QTest::newRow("one channel beyond stays")
        << QList<quint32>{grey, blueOff} << QList<int>{0, 40} << 3 << QList<quint32>{grey, blueOff};
    // A rarer colour never takes a more frequent one, even when it is the first found.
    const Colour a = RGBColour(50, 50, 50), b = RGBColour(53, 50, 50), c = RGBColour(56, 50, 50);
    QTest::newRow("no chaining through a middle colour")
        << QList<quint32>{grey, a, b, c} << QList<int>{0, 30, 20, 25} << 3 << QList<quint32>{grey, a, a, c};
    QTest::newRow("middle colour most frequent takes both")
        << QList<quint32>{grey, a, b, c} << QList<int>{0, 20, 30, 25} << 3 << QList<quint32>{grey, b, b, b};
}

void ColourReductionTest::merge()
{
    QFETCH(QList<quint32>, colours);
    QFETCH(QList<int>, cells);
    QFETCH(int, tolerance);
    QFETCH(QList<quint32>, become);
    const QImage picture = runs(colours, cells);
    const ColourReduction counts(picture);
    for (qsizetype i = 1; i < colours.size(); ++i)
        QCOMPARE(counts.cellsOf(colours[i]), cells[i]);
    const QImage merged = counts.merged(tolerance);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const qsizetype i = colours.indexOf(fromQRgb(picture.pixel(x, y)));
            QCOMPARE(fromQRgb(merged.pixel(x, y)), Colour(become[i]));
        }
    QCOMPARE(ColourReduction(moved(picture)).merged(tolerance), moved(merged));
}

void ColourReductionTest::photoPortraitsAsCloseAsThePeers_data()
{
    // Photos from tests/faces/ made into portraits as the import's cover does (Sharp),
    // then reduced to 16 colours without dithering. The figures are the mean OKLab delta E
    // (x 100) from the portrait, measured on the same portraits (written as PNG by
    // `pictoria --convert PHOTO OUT.png --cover`): mtPaint 3.40 (Convert To Indexed, 16,
    // no dither; Wu and PNN quantize) read back from its window at 100 %, and ImageMagick
    // 6.9.11 (`convert IN +dither -colors 16 OUT`). The greyscale photos are left out:
    // mtPaint opens them as indexed pictures, which it does not reduce.
    QTest::addColumn<QString>("photo");
    QTest::addColumn<double>("mtPaintWu");
    QTest::addColumn<double>("mtPaintPnn");
    QTest::addColumn<double>("imageMagick");
    QTest::newRow("astronaut") << "astronaut.jpg" << 3.660 << 3.852 << 3.749;
    QTest::newRow("grace_hopper") << "grace_hopper.jpg" << 3.511 << 3.757 << 4.222;
    QTest::newRow("messi5") << "messi5.jpg" << 4.067 << 3.883 << 4.269;
    QTest::newRow("hfs-000 (bird)") << "hfs-000.jpg" << 3.269 << 3.159 << 3.784;
    QTest::newRow("hfs-001 (lake)") << "hfs-001.jpg" << 1.668 << 1.585 << 2.004;
    QTest::newRow("hfs-002 (tree)") << "hfs-002.jpg" << 2.285 << 2.293 << 2.840;
}

void ColourReductionTest::photoPortraitsAsCloseAsThePeers()
{
    QFETCH(QString, photo);
    QFETCH(double, mtPaintWu);
    QFETCH(double, mtPaintPnn);
    QFETCH(double, imageMagick);
    const QImage picture(QStringLiteral(PICTORIA_SOURCE_DIR "/tests/faces/") + photo);
    QVERIFY(!picture.isNull());
    const QImage portrait = PictureScale::coverFrame(picture.convertToFormat(QImage::Format_RGB32),
                                                     QSize(48, 56), PictureScale::Filter::Sharp)
                                .convertToFormat(QImage::Format_RGB32);
    const QImage reduced = ColourReduction(portrait).reduced(16);
    QVERIFY(ColourReduction(reduced).colourCount() <= 16);
    const double ours = ColourReduction::meanError(portrait, reduced);
    qInfo("%s: ours %.3f, mtPaint %.3f (Wu) %.3f (PNN), ImageMagick %.3f", qPrintable(photo), ours, mtPaintWu,
          mtPaintPnn, imageMagick);
    // No worse than the better of mtPaint's two quantizers, nor than ImageMagick.
    QVERIFY2(ours <= std::min(mtPaintWu, mtPaintPnn), qPrintable(QString::number(ours)));
    QVERIFY2(ours <= imageMagick, qPrintable(QString::number(ours)));
}

QTEST_MAIN(ColourReductionTest)
#include "tst_colourreduction.moc"
