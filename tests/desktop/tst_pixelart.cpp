#include "platform/PixelArt.h"

#include <QtTest>

// Pixel-art images enlarged for high-density screens: every source pixel must come out as
// an exact square of device pixels, never blended with its neighbours.
class PixelArtTest : public QObject {
    Q_OBJECT
private slots:
    void iconIsPixelRepeatedAtEachRatio_data();
    void iconIsPixelRepeatedAtEachRatio();
    void cursorIsEnlargedWithItsHotSpot_data();
    void cursorIsEnlargedWithItsHotSpot();
    void missingImageGivesNullResults();
    void applicationIconHasEveryShippedSize();
};

namespace {

// True when `big` is `small` with each pixel repeated factor x factor times.
bool isPixelRepeat(const QImage& small, const QImage& big, int factor)
{
    if (big.size() != small.size() * factor)
        return false;
    const QImage a = small.convertToFormat(QImage::Format_ARGB32);
    const QImage b = big.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) != a.pixel(x / factor, y / factor))
                return false;
    return true;
}

} // namespace

void PixelArtTest::iconIsPixelRepeatedAtEachRatio_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("factor");
    for (const char* name : {"brush", "grid", "about"}) {
        const QString path = QStringLiteral(":/toolbar/%1.png").arg(name);
        QTest::addRow("%s at 1", name) << path << 1.0 << 1;
        QTest::addRow("%s at 2", name) << path << 2.0 << 2;
        QTest::addRow("%s at 3", name) << path << 3.0 << 3;
        QTest::addRow("%s at 4", name) << path << 4.0 << 4;
    }
}

void PixelArtTest::iconIsPixelRepeatedAtEachRatio()
{
    QFETCH(QString, path);
    QFETCH(qreal, ratio);
    QFETCH(int, factor);
    const QImage source(path);
    QVERIFY(!source.isNull());
    const QPixmap drawn = PixelArt::icon(path).pixmap(source.size(), ratio);
    QCOMPARE(drawn.devicePixelRatio(), qreal(factor));
    QCOMPARE(drawn.deviceIndependentSize().toSize(), source.size());
    QVERIFY(isPixelRepeat(source, drawn.toImage(), factor));
}

void PixelArtTest::cursorIsEnlargedWithItsHotSpot_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("factor");
    QTest::newRow("1") << 1.0 << 1;
    QTest::newRow("1.25 rounds down") << 1.25 << 1;
    QTest::newRow("2") << 2.0 << 2;
    QTest::newRow("2.5 rounds up") << 2.5 << 3;
    QTest::newRow("below 1 stays 1") << 0.5 << 1;
}

void PixelArtTest::cursorIsEnlargedWithItsHotSpot()
{
    QFETCH(qreal, ratio);
    QFETCH(int, factor);
    const QString path = QStringLiteral(":/cursors/eyedropper.png");
    const QCursor cursor = PixelArt::cursor(path, 9, 23, ratio);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(9, 23) * factor);
    QVERIFY(isPixelRepeat(QImage(path), cursor.pixmap().toImage(), factor));
}

void PixelArtTest::missingImageGivesNullResults()
{
    QVERIFY(PixelArt::icon(QStringLiteral(":/no/such.png")).isNull());
    QVERIFY(PixelArt::pixmap(QStringLiteral(":/no/such.png"), 2).isNull());
}

void PixelArtTest::applicationIconHasEveryShippedSize()
{
    const QList<QSize> sizes = PixelArt::applicationIcon().availableSizes();
    for (int size : {16, 32, 48, 64, 128, 256})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
}

QTEST_MAIN(PixelArtTest)
#include "tst_pixelart.moc"
