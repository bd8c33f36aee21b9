#include "import/PictureScale.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <cmath>

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

double toLinear(int level)
{
    const double v = level / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double toSrgb(double linear)
{
    const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return 255.0 * qBound(0.0, v, 1.0);
}

// The exact area average in linear light, pixel by pixel in double precision: each output
// pixel is the integral of the light over the source area it covers.
QImage referenceAverage(const QImage& picture, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    const double fx = double(picture.width()) / size.width(), fy = double(picture.height()) / size.height();
    auto overlap = [](double a, double b, int i) { return qMax(0.0, qMin(b, i + 1.0) - qMax(a, double(i))); };
    for (int oy = 0; oy < size.height(); ++oy)
        for (int ox = 0; ox < size.width(); ++ox) {
            const double x0 = ox * fx, x1 = (ox + 1) * fx, y0 = oy * fy, y1 = (oy + 1) * fy;
            double sum[3] = {0, 0, 0};
            for (int y = int(y0); y < qMin(picture.height(), int(std::ceil(y1))); ++y)
                for (int x = int(x0); x < qMin(picture.width(), int(std::ceil(x1))); ++x) {
                    const double w = overlap(x0, x1, x) * overlap(y0, y1, y);
                    const QRgb p = picture.pixel(x, y);
                    sum[0] += w * toLinear(qRed(p));
                    sum[1] += w * toLinear(qGreen(p));
                    sum[2] += w * toLinear(qBlue(p));
                }
            const double area = fx * fy;
            out.setPixel(ox, oy,
                         qRgb(int(std::lround(toSrgb(sum[0] / area))),
                              int(std::lround(toSrgb(sum[1] / area))),
                              int(std::lround(toSrgb(sum[2] / area)))));
        }
    return out;
}

// Black and white in squares of side pixels; stripes when one side is the whole picture.
QImage checkerboard(QSize size, int side, bool stripesOnly = false)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const bool white = stripesOnly ? (y / side) % 2 : ((x / side) + (y / side)) % 2;
            image.setPixel(x, y, white ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    return image;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = qMax(most, qMax(qAbs(qRed(p) - qRed(q)),
                                   qMax(qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q)))));
        }
    return most;
}

} // namespace

// The import window's zoom and the portrait's scaling: reductions in linear light (the
// exact area average, and the sharp filter), enlarging by repeated pixels, and the sizes
// and limits of the zoom steps.
class PictureScaleTest : public QObject {
    Q_OBJECT
private slots:
    void wholeBlocksAverage_data();
    void wholeBlocksAverage();
    void averageIsExactInLinearLight_data();
    void averageIsExactInLinearLight();
    void sharpShowsNoMoire_data();
    void sharpShowsNoMoire();
    void sharpMatchesImageMagick();
    void partsAgreeWithTheWhole_data();
    void partsAgreeWithTheWhole();
    void flatPictureStaysFlat_data();
    void flatPictureStaysFlat();
    void lightIsKept();
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
}

void PictureScaleTest::averageIsExactInLinearLight_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("everywhere"); // the one level every pixel must have, or -1
    // A black-and-white checkerboard seen from afar is half the light: sRGB 188, not 128.
    QTest::newRow("checkerboard, a tenth") << checkerboard({480, 560}, 1) << QSize(48, 56) << 188;
    QTest::newRow("checkerboard, a half") << checkerboard({96, 112}, 1) << QSize(48, 56) << 188;
    QTest::newRow("checkerboard, 0.84") << checkerboard({300, 200}, 1) << QSize(252, 168) << -1;
    QTest::newRow("2-pixel stripes, a tenth") << checkerboard({400, 400}, 2, true) << QSize(40, 40) << -1;
    QTest::newRow("2-pixel stripes, a third") << checkerboard({300, 300}, 2, true) << QSize(100, 100) << -1;
    QTest::newRow("four colours into one")
        << fromRows({{qRgb(0, 0, 0), qRgb(255, 0, 10)}, {qRgb(0, 255, 20), qRgb(1, 1, 31)}}) << QSize(1, 1)
        << -1;
    QTest::newRow("three into two, across")
        << fromRows({{qRgb(0, 0, 0), qRgb(150, 30, 90), qRgb(240, 60, 0)}}) << QSize(2, 1) << -1;
    QTest::newRow("three into two, down")
        << fromRows({{qRgb(0, 0, 0)}, {qRgb(150, 30, 90)}, {qRgb(240, 60, 0)}}) << QSize(1, 2) << -1;
    QTest::newRow("pattern, odd factors") << patternImage(333, 250) << QSize(37, 25) << -1;
    QTest::newRow("dark levels")
        << blocks(30, 30, 3).convertToFormat(QImage::Format_Indexed8).convertToFormat(QImage::Format_RGB32)
        << QSize(17, 13) << -1;
}

void PictureScaleTest::averageIsExactInLinearLight()
{
    QFETCH(QImage, picture);
    QFETCH(QSize, size);
    QFETCH(int, everywhere);
    const QImage out = PictureScale::scaledPart(picture, size, QRect(QPoint(0, 0), size));
    QCOMPARE(out.size(), size);
    QVERIFY2(largestDifference(out, referenceAverage(picture, size)) <= 1,
             qPrintable(QString::number(largestDifference(out, referenceAverage(picture, size)))));
    for (int y = 0; everywhere >= 0 && y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            QCOMPARE(out.pixel(x, y), qRgb(everywhere, everywhere, everywhere));
}

void PictureScaleTest::sharpShowsNoMoire_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QSize>("size");
    // Stripes and squares finer than the result can show become an even grey of half the
    // light, whatever the factor, instead of beating into bands.
    QTest::newRow("stripes, a tenth") << checkerboard({400, 400}, 2, true) << QSize(40, 40);
    QTest::newRow("stripes, 1/9.5") << checkerboard({380, 380}, 2, true) << QSize(40, 40);
    QTest::newRow("stripes, a third") << checkerboard({300, 300}, 2, true) << QSize(100, 100);
    QTest::newRow("stripes, 0.3") << checkerboard({300, 300}, 2, true) << QSize(90, 90);
    QTest::newRow("stripes, a fifth") << checkerboard({500, 500}, 2, true) << QSize(100, 100);
    QTest::newRow("stripes, 1/30") << checkerboard({1440, 1680}, 2, true) << QSize(48, 56);
    QTest::newRow("stripes, 1/17") << checkerboard({816, 952}, 2, true) << QSize(48, 56);
    QTest::newRow("stripes, 1/45.5") << checkerboard({2184, 2548}, 2, true) << QSize(48, 56);
    QTest::newRow("stripes, 1/75") << checkerboard({3600, 4200}, 2, true) << QSize(48, 56);
    QTest::newRow("checkerboard, 1/7.3") << checkerboard({350, 409}, 1) << QSize(48, 56);
}

void PictureScaleTest::sharpShowsNoMoire()
{
    QFETCH(QImage, picture);
    QFETCH(QSize, size);
    const QImage out =
        PictureScale::scaledPart(picture, size, QRect(QPoint(0, 0), size), PictureScale::Filter::Sharp);
    // The filter reaches three pixels; the border, where it is cut, is left out.
    int low = 255, high = 0;
    for (int y = 3; y < size.height() - 3; ++y)
        for (int x = 3; x < size.width() - 3; ++x) {
            low = qMin(low, qGreen(out.pixel(x, y)));
            high = qMax(high, qGreen(out.pixel(x, y)));
        }
    QVERIFY2(low >= 186 && high <= 190, qPrintable(QStringLiteral("levels %1 to %2").arg(low).arg(high)));
}

void PictureScaleTest::sharpMatchesImageMagick()
{
    // A photograph reduced to a portrait as ImageMagick does it in linear light with its
    // Lanczos filter: the same within about a level and a half on average.
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        QSKIP("ImageMagick's convert is not installed");
    const QImage photo = QImage(QStringLiteral(PICTORIA_SOURCE_DIR "/tests/faces/grace_hopper.jpg"))
                             .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!photo.isNull());
    struct Case {
        QRect source;
        QSize size;
    };
    for (const Case& c : {Case{photo.rect(), {48, 56}}, Case{{150, 100, 230, 268}, {48, 56}},
                          Case{{100, 60, 300, 300}, {83, 67}}}) {
        const QImage picture = photo.copy(c.source);
        const QString in = TestSupport::tempPath(QStringLiteral("magick-in.png"));
        const QString out = TestSupport::tempPath(QStringLiteral("magick-out.png"));
        QVERIFY(picture.save(in));
        QProcess magick;
        magick.start(convert, {in, "-colorspace", "RGB", "-filter", "Lanczos", "-resize",
                               QStringLiteral("%1x%2!").arg(c.size.width()).arg(c.size.height()),
                               "-colorspace", "sRGB", out});
        QVERIFY(magick.waitForFinished(60000));
        QCOMPARE(magick.exitCode(), 0);
        const QImage expected = QImage(out).convertToFormat(QImage::Format_RGB32);
        const QImage ours = PictureScale::scaledPart(picture, c.size, QRect(QPoint(0, 0), c.size),
                                                     PictureScale::Filter::Sharp);
        QCOMPARE(ours.size(), expected.size());
        double total = 0;
        for (int y = 0; y < c.size.height(); ++y)
            for (int x = 0; x < c.size.width(); ++x) {
                const QRgb p = ours.pixel(x, y), q = expected.pixel(x, y);
                total += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
            }
        const double mean = total / (3.0 * c.size.width() * c.size.height());
        qInfo("%dx%d to %dx%d: %.2f levels on average", picture.width(), picture.height(), c.size.width(),
              c.size.height(), mean);
        QVERIFY2(mean <= 1.5, qPrintable(QString::number(mean)));
        // And it is sharper than the area average: more of the fine detail is kept.
        const QImage smooth = PictureScale::scaledPart(picture, c.size, QRect(QPoint(0, 0), c.size));
        auto detail = [](const QImage& image) {
            double sum = 0;
            for (int y = 1; y < image.height() - 1; ++y)
                for (int x = 1; x < image.width() - 1; ++x)
                    sum += qAbs(4 * qGreen(image.pixel(x, y)) - qGreen(image.pixel(x - 1, y)) -
                                qGreen(image.pixel(x + 1, y)) - qGreen(image.pixel(x, y - 1)) -
                                qGreen(image.pixel(x, y + 1)));
            return sum;
        };
        QVERIFY(detail(ours) > detail(smooth));
    }
}

void PictureScaleTest::partsAgreeWithTheWhole_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QSize>("size");
    QTest::newRow("smooth, 0.3") << int(PictureScale::Filter::Smooth) << QSize(180, 120);
    QTest::newRow("sharp, 0.3") << int(PictureScale::Filter::Sharp) << QSize(180, 120);
    QTest::newRow("sharp, a twentieth (averaged first)") << int(PictureScale::Filter::Sharp) << QSize(30, 20);
    QTest::newRow("sharp, across only") << int(PictureScale::Filter::Sharp) << QSize(200, 700);
}

void PictureScaleTest::partsAgreeWithTheWhole()
{
    // The view scales only what is in sight and a region only its own pixels: every part
    // must be exactly that part of the whole scaled picture.
    QFETCH(int, filter);
    QFETCH(QSize, size);
    const QImage picture = patternImage(600, 400);
    const auto f = PictureScale::Filter(filter);
    const QImage whole = PictureScale::scaledPart(picture, size, QRect(QPoint(0, 0), size), f);
    for (const QRect part : {QRect(0, 0, 7, 5), QRect(size.width() / 3, size.height() / 2, 11, 9),
                             QRect(QPoint(size.width() - 6, size.height() - 4), QSize(6, 4))})
        QCOMPARE(PictureScale::scaledPart(picture, size, part, f), whole.copy(part));
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
    for (auto filter : {PictureScale::Filter::Smooth, PictureScale::Filter::Sharp}) {
        const QImage out = PictureScale::scaledPart(flat, to, QRect(QPoint(0, 0), to), filter);
        QCOMPARE(out.size(), to);
        for (int y = 0; y < to.height(); ++y)
            for (int x = 0; x < to.width(); ++x)
                QCOMPARE(out.pixel(x, y), qRgb(17, 200, 99));
    }
}

void PictureScaleTest::lightIsKept()
{
    // Averaging areas neither brightens nor darkens: the mean light of the whole picture
    // stays (to within rounding), which averaging sRGB levels or sampling breaks.
    const QImage picture = patternImage(333, 250);
    auto meanLight = [](const QImage& image) {
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += toLinear(qGreen(image.pixel(x, y)));
        return sum / (double(image.width()) * image.height());
    };
    const QImage small = PictureScale::areaAverage(picture, {37, 25});
    QVERIFY2(qAbs(meanLight(small) - meanLight(picture)) < 0.002,
             qPrintable(QString::number(meanLight(small) - meanLight(picture))));
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
