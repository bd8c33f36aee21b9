#include "import/PictureScale.h"
#include "support/TestSupport.h"

#include <QtTest>

using TestSupport::patternImage;

namespace {

QImage fromRows(const QList<QList<QRgb>>& rows)
{
    QImage image(int(rows.front().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, rows[y][x]);
    return image;
}

// Blocks of one colour each, side pixels wide: shrunk by exactly that much, every
// block must become one pixel of its own colour.
QImage blocks(int columns, int rows, int side)
{
    QImage image(columns * side, rows * side, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int bx = x / side, by = y / side;
            image.setPixel(x, y, qRgb(bx * 37 % 256, by * 53 % 256, (bx * 11 + by * 7) % 256));
        }
    return image;
}

} // namespace

// The import window's zoom: exact area averaging when shrinking, repeated pixels when
// enlarging, and the sizes and limits of the zoom steps.
class PictureScaleTest : public QObject {
    Q_OBJECT
private slots:
    void wholeBlocksAverage_data();
    void wholeBlocksAverage();
    void fractionalCoverageIsWeighted();
    void flatPictureStaysFlat_data();
    void flatPictureStaysFlat();
    void meanIsKept();
    void enlargingRepeatsPixels();
    void stepsAndSizes_data();
    void stepsAndSizes();
    void smallestStepKeepsOnePixel_data();
    void smallestStepKeepsOnePixel();
};

void PictureScaleTest::wholeBlocksAverage_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("step");
    QTest::newRow("half") << 2 << -4;
    QTest::newRow("quarter") << 4 << -8;
    QTest::newRow("eighth") << 8 << -12;
}

void PictureScaleTest::wholeBlocksAverage()
{
    QFETCH(int, side);
    QFETCH(int, step);
    const QImage picture = blocks(48, 56, side);
    const QImage small = PictureScale::scaled(picture, step);
    QCOMPARE(small.size(), QSize(48, 56));
    QCOMPARE(small, blocks(48, 56, 1));

    // A 2 x 2 block of four colours becomes their mean, rounded.
    const QImage four = fromRows({{qRgb(0, 0, 0), qRgb(255, 0, 10)}, {qRgb(0, 255, 20), qRgb(1, 1, 31)}});
    QCOMPARE(PictureScale::areaAverage(four, {1, 1}).pixel(0, 0), qRgb(64, 64, 15));
}

void PictureScaleTest::fractionalCoverageIsWeighted()
{
    // Three pixels into two: each output pixel covers one and a half source pixels.
    const QImage row = fromRows({{qRgb(0, 0, 0), qRgb(150, 30, 90), qRgb(240, 60, 0)}});
    const QImage two = PictureScale::areaAverage(row, {2, 1});
    QCOMPARE(two.pixel(0, 0), qRgb(50, 10, 30));  // (0 + 0.5 * 150) / 1.5
    QCOMPARE(two.pixel(1, 0), qRgb(210, 50, 30)); // (0.5 * 150 + 240) / 1.5
    // And down a column the same.
    const QImage column = fromRows({{qRgb(0, 0, 0)}, {qRgb(150, 30, 90)}, {qRgb(240, 60, 0)}});
    const QImage tall = PictureScale::areaAverage(column, {1, 2});
    QCOMPARE(tall.pixel(0, 0), qRgb(50, 10, 30));
    QCOMPARE(tall.pixel(0, 1), qRgb(210, 50, 30));
}

void PictureScaleTest::flatPictureStaysFlat_data()
{
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    QTest::newRow("odd factor") << QSize(101, 77) << QSize(13, 9);
    QTest::newRow("barely smaller") << QSize(50, 58) << QSize(49, 57);
    QTest::newRow("to one pixel") << QSize(640, 480) << QSize(1, 1);
}

void PictureScaleTest::flatPictureStaysFlat()
{
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    QImage flat(from, QImage::Format_RGB32);
    flat.fill(qRgb(17, 200, 99));
    const QImage out = PictureScale::areaAverage(flat, to);
    QCOMPARE(out.size(), to);
    for (int y = 0; y < to.height(); ++y)
        for (int x = 0; x < to.width(); ++x)
            QCOMPARE(out.pixel(x, y), qRgb(17, 200, 99));
}

void PictureScaleTest::meanIsKept()
{
    // Averaging areas neither brightens nor darkens: the mean of the whole picture stays
    // (to within rounding), which sampling or a filter reaching past the covered area breaks.
    const QImage picture = patternImage(333, 250);
    auto mean = [](const QImage& image) {
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += qGreen(image.pixel(x, y));
        return sum / (double(image.width()) * image.height());
    };
    const QImage small = PictureScale::areaAverage(picture, {37, 25});
    QVERIFY2(qAbs(mean(small) - mean(picture)) < 0.6,
             qPrintable(QString::number(mean(small) - mean(picture))));
}

void PictureScaleTest::enlargingRepeatsPixels()
{
    const QImage picture = patternImage(30, 20);
    const QImage big = PictureScale::scaled(picture, 4); // twice
    QCOMPARE(big.size(), QSize(60, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            QCOMPARE(big.pixel(x, y), picture.pixel(x / 2, y / 2));
    QCOMPARE(PictureScale::scaled(picture, 0), picture);
}

void PictureScaleTest::stepsAndSizes_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QSize>("size");
    QTest::newRow("1:1") << 0 << QSize(1000, 750);
    QTest::newRow("half") << -4 << QSize(500, 375);
    QTest::newRow("between") << -1 << QSize(841, 631); // 2^-0.25
    QTest::newRow("twice") << 4 << QSize(2000, 1500);
    QTest::newRow("tiny") << -36 << QSize(2, 1);
}

void PictureScaleTest::stepsAndSizes()
{
    QFETCH(int, step);
    QFETCH(QSize, size);
    QCOMPARE(PictureScale::scaledSize({1000, 750}, step), size);
}

void PictureScaleTest::smallestStepKeepsOnePixel_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("step");
    QTest::newRow("one pixel") << QSize(1, 1) << 0;
    QTest::newRow("2 x 1") << QSize(2, 1) << 0;
    QTest::newRow("16 x 64") << QSize(16, 64) << -16;
    QTest::newRow("huge") << QSize(16384, 6000) << PictureScale::MinStep;
}

void PictureScaleTest::smallestStepKeepsOnePixel()
{
    QFETCH(QSize, picture);
    QFETCH(int, step);
    QCOMPARE(PictureScale::minimumStep(picture), step);
    const QSize shown = PictureScale::scaledSize(picture, step);
    QVERIFY(shown.width() >= 1 && shown.height() >= 1);
}

QTEST_MAIN(PictureScaleTest)
#include "tst_picturescale.moc"
