#include "import/PortraitFraming.h"

#include <QtTest>

using PortraitFraming::Framing;

namespace {

const QSize Frame(48, 56);

// Flat grey with one textured patch (fine black-and-white squares, warm colours).
QImage pictureWithPatch(QSize size, QRect patch)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(120, 130, 140));
    for (int y = patch.top(); y <= patch.bottom(); ++y)
        for (int x = patch.left(); x <= patch.right(); ++x)
            image.setPixel(x, y, ((x / 2 + y / 2) % 2) ? qRgb(230, 180, 150) : qRgb(40, 20, 10));
    return image;
}

} // namespace

// Where A puts the frame: on a face as a portrait maker frames one, or, without a face,
// over the most detailed part of the picture.
class PortraitFramingTest : public QObject {
    Q_OBJECT
private slots:
    void faceIsFramedAsAPortrait_data();
    void faceIsFramedAsAPortrait();
    void withoutFaceTheDetailIsFramed_data();
    void withoutFaceTheDetailIsFramed();
};

void PortraitFramingTest::faceIsFramedAsAPortrait_data()
{
    QTest::addColumn<QRect>("face");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("free"); // the frame can lie where the face asks
    QTest::newRow("face in a large photo") << QRect(2400, 1300, 600, 640) << QSize(6000, 4000) << true;
    QTest::newRow("face off the middle") << QRect(100, 240, 90, 90) << QSize(640, 480) << true;
    QTest::newRow("face at the left edge") << QRect(0, 200, 80, 80) << QSize(640, 480) << false;
    QTest::newRow("face at the top") << QRect(300, 0, 100, 100) << QSize(640, 480) << false;
    QTest::newRow("face filling the picture") << QRect(0, 0, 200, 240) << QSize(200, 240) << false;
    QTest::newRow("tiny face") << QRect(50, 50, 2, 2) << QSize(300, 300) << false;
}

void PortraitFramingTest::faceIsFramedAsAPortrait()
{
    QFETCH(QRect, face);
    QFETCH(QSize, picture);
    QFETCH(bool, free);
    const Framing f = PortraitFraming::frameFace(face, picture, Frame);
    const double scale = double(f.shown.width()) / picture.width();
    QVERIFY(qAbs(double(f.shown.height()) / picture.height() - scale) < 0.01);
    // Never scaled below covering the frame, nor enlarged beyond the largest zoom.
    QVERIFY(f.shown.width() >= 48 && f.shown.height() >= 56);
    QVERIFY(scale <= PortraitFraming::MostEnlarged + 1e-9);
    // The frame stays on the picture.
    QVERIFY(QRect(QPoint(0, 0), f.shown).contains(QRect(f.origin, Frame)));
    if (!free)
        return;
    // Centred across; the face half the frame's height; the eyes a little above the middle.
    QVERIFY(qAbs((face.x() + face.width() / 2.0) * scale - (f.origin.x() + 24)) <= 1.0);
    QVERIFY(qAbs(face.height() * scale - 28) <= 1.0);
    const double eyes = (face.y() + 0.4 * face.height()) * scale - f.origin.y();
    QVERIFY2(eyes >= 0.38 * 56 && eyes < 0.5 * 56, qPrintable(QString::number(eyes / 56)));
}

void PortraitFramingTest::withoutFaceTheDetailIsFramed_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("patch");
    QTest::newRow("wide, detail on the right") << QSize(800, 200) << QRect(600, 20, 120, 160);
    QTest::newRow("wide, detail on the left") << QSize(800, 200) << QRect(10, 30, 100, 140);
    QTest::newRow("tall, detail low") << QSize(300, 900) << QRect(40, 600, 220, 240);
    QTest::newRow("tall, detail in the middle") << QSize(300, 900) << QRect(20, 380, 260, 280);
}

void PortraitFramingTest::withoutFaceTheDetailIsFramed()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, patch);
    const Framing f = PortraitFraming::frameDetail(pictureWithPatch(picture, patch), Frame);
    // The size that just covers the frame, as C gives.
    const double scale = qMax(48.0 / picture.width(), 56.0 / picture.height());
    QCOMPARE(f.shown, QSize(qRound(picture.width() * scale), qRound(picture.height() * scale)));
    QVERIFY(QRect(QPoint(0, 0), f.shown).contains(QRect(f.origin, Frame)));
    // The frame lies over the patch's middle.
    const QPointF middle = QPointF(patch.center()) * scale;
    QVERIFY2(QRectF(QPointF(f.origin), QSizeF(Frame)).contains(middle),
             qPrintable(QStringLiteral("frame at %1,%2, patch middle %3,%4")
                            .arg(f.origin.x())
                            .arg(f.origin.y())
                            .arg(middle.x())
                            .arg(middle.y())));
}

QTEST_MAIN(PortraitFramingTest)
#include "tst_portraitframing.moc"
