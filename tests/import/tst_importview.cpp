#include "canvas/PortraitCanvas.h"
#include "document/PortraitDocument.h"
#include "import/ImportRegion.h"
#include "import/OutlineShape.h"
#include "import/PictureScale.h"
#include "import/frmImport.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>
#include <sys/resource.h>

using TestSupport::patternImage;
using TestSupport::pixelAt;

namespace {

// Blocks of one colour each, side pixels wide.
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

// The import window beyond 1:1 pictures that fit: scrolling a picture larger than the
// screen, zooming with the wheel, and nudging the outline with the arrow keys.
class ImportViewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fittingPictureDoesNotScroll();
    void largePictureOpensWhole_data();
    void largePictureOpensWhole();
    void wheelShrinksAndRegionIsScaledPixels();
    void wheelKeepsPointAndOutlineSize();
    void zoomKeepsThePointUnderThePointer_data();
    void zoomKeepsThePointUnderThePointer();
    void smallPictureOpensEnlarged();
    void userSizeIsKeptForLargePictures();
    void newPictureStartsAtOneToOne();
    void arrowsNudgeOutline_data();
    void arrowsNudgeOutline();
    void arrowsWithButtonHeldCopyAtOnce();
    void fitKeyTakesTheWholePicture_data();
    void fitKeyTakesTheWholePicture();
    void coverKeyCentresTheFrameOnTheScaledPicture();
    void zoomingKeepsMemoryBounded();

private:
    void loadPicture(const QImage& picture);
    void wheel(QPoint at, int notches);
    QImage expectedPortrait(const QImage& picture, QPoint origin) const;
    void comparePortrait(const QImage& picture, QPoint origin) const;

    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    std::unique_ptr<StatusBar> status;
    std::unique_ptr<frmImport> window;
    Colour background = RGBColour(12, 200, 34);
};

void ImportViewTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    canvas->setGridSource([] { return false; });
    status =
        std::make_unique<StatusBar>(QList<StatusBar::PanelLayout>{{420, "Ready."}, {120, "x"}, {96, "y"}});
    window = std::make_unique<frmImport>(*document, *status, [this] { return background; });
    window->tmrFader->stop();
}

void ImportViewTest::cleanup()
{
    window.reset();
    status.reset();
    canvas.reset();
}

void ImportViewTest::loadPicture(const QImage& picture)
{
    Surface& s = window->pictureSurface();
    s.resize(picture.width(), picture.height());
    s.copyFrom(picture, 0, 0, picture.width(), picture.height());
    window->fitToPicture();
}

void ImportViewTest::wheel(QPoint at, int notches)
{
    QWheelEvent event(at, window->picImage->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->picImage, &event);
}

QImage ImportViewTest::expectedPortrait(const QImage& picture, QPoint origin) const
{
    QImage out(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const QPoint p = origin + QPoint(x, y);
            out.setPixel(x, y, picture.rect().contains(p) ? picture.pixel(p) : toQRgb(background));
        }
    return out;
}

void ImportViewTest::comparePortrait(const QImage& picture, QPoint origin) const
{
    const QImage expected = expectedPortrait(picture, origin);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(document->picPreview().pixel(x, y), pixelAt(expected, x, y));
}

void ImportViewTest::fittingPictureDoesNotScroll()
{
    loadPicture(patternImage(300, 200));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->width(), 312);
    QCOMPARE(window->picContainer->geometry(), QRect(4, 4, 304, 204));
    QCOMPARE(window->scroller()->viewport()->size(), QSize(300, 200));
    // The zoom shows on a line of its own below the picture, never over it.
    const auto* label = window->findChild<QLabel*>(QStringLiteral("lblZoom"));
    QVERIFY(label && label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("Zoom 100%"));
    QVERIFY(label->geometry().top() > window->picContainer->geometry().bottom());
    QVERIFY(window->rect().contains(label->geometry()));
    QCOMPARE(window->height(), label->geometry().bottom() + 1 + 4);
    QVERIFY(!window->scroller()->horizontalScrollBar()->isVisible());
    QVERIFY(!window->scroller()->verticalScrollBar()->isVisible());
    // The picture sits exactly inside the container's border.
    QCOMPARE(window->picImage->mapTo(window.get(), QPoint(0, 0)), QPoint(6, 6));
}

void ImportViewTest::largePictureOpensWhole_data()
{
    QTest::addColumn<QSize>("extra"); // beyond the room the screen gives
    QTest::newRow("wider and taller") << QSize(900, 700);
    QTest::newRow("only wider") << QSize(600, -300);
    QTest::newRow("only taller") << QSize(-300, 500);
    QTest::newRow("about 24 megapixels")
        << QSize(6000, 4000) - QGuiApplication::primaryScreen()->availableGeometry().size();
}

void ImportViewTest::largePictureOpensWhole()
{
    QFETCH(QSize, extra);
    const QSize room = window->availableClientSize();
    const QImage picture = patternImage(room.width() + extra.width(), room.height() + extra.height());
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    // Zoomed out by whole steps until all of it shows, in a window that fits the screen;
    // one step less would not fit.
    QVERIFY(window->width() <= room.width());
    QVERIFY(window->height() <= room.height());
    const int step = window->zoomStep();
    QVERIFY(step < 0);
    QCOMPARE(window->picImage->size(), PictureScale::scaledSize(picture.size(), step));
    const QSize view = window->scroller()->viewport()->size();
    QVERIFY(QRect(QPoint(0, 0), view).contains(QRect(window->pictureInView(), window->shownSize())));
    const QSize chrome = window->size() - view;
    const QSize larger = PictureScale::scaledSize(picture.size(), step + 1);
    QVERIFY(larger.width() > room.width() - chrome.width() ||
            larger.height() > room.height() - chrome.height());
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblZoom"))->text(), window->zoomText());

    // Every region can be reached at 1:1: the scroll ranges cover what the view leaves out.
    wheel(QPoint(0, 0), -step);
    QCOMPARE(window->zoomStep(), 0);
    QCOMPARE(window->size(), chrome + view);
    QScrollBar* across = window->scroller()->horizontalScrollBar();
    QScrollBar* down = window->scroller()->verticalScrollBar();
    // Every region can be reached: the scroll ranges cover what the view leaves out.
    const QSize now = window->scroller()->viewport()->size();
    QCOMPARE(across->maximum(), qMax(0, picture.width() - now.width()));
    QCOMPARE(down->maximum(), qMax(0, picture.height() - now.height()));
    QVERIFY(across->maximum() > 0 || down->maximum() > 0);

    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    const QPoint offset = window->scrollOffset();
    QCOMPARE(offset, QPoint(across->maximum() / 2, down->maximum() / 2));
    // A point of the view lies over the picture pixel the scroll offset further on.
    const QPoint inView(40, 50);
    const QPoint onPicture = window->picImage->mapFrom(window->scroller()->viewport(), inView);
    QCOMPARE(onPicture, inView + offset);

    // A drag there copies the picture's own pixels, in picture coordinates.
    QTest::mousePress(window->picImage, Qt::LeftButton, {}, onPicture);
    QTest::mouseMove(window->picImage, onPicture + QPoint(1, 0));
    const ImportRegion r = ImportRegion::at(float(onPicture.x() + 1), float(onPicture.y()));
    comparePortrait(picture, r.origin);
    QCOMPARE(status->panelText(1), r.statusText());
    QTest::mouseRelease(window->picImage, Qt::LeftButton, {}, onPicture + QPoint(1, 0));
    QVERIFY(window->isHidden());
}

void ImportViewTest::wheelShrinksAndRegionIsScaledPixels()
{
    // 4 x 4 blocks: shrunk to a quarter, the shown picture is one pixel a block.
    const QImage picture = blocks(60, 50, 4);
    loadPicture(picture);
    window->setScaling(PictureScale::Filter::Smooth); // the area average keeps whole blocks exactly
    wheel(QPoint(0, 0), -8);
    QCOMPARE(window->zoomStep(), -8);
    QCOMPARE(window->shownSize(), QSize(60, 50));
    QCOMPARE(window->picImage->size(), QSize(60, 50));
    QCOMPARE(window->shownPicture(), blocks(60, 50, 1));
    QCOMPARE(window->zoomText(), QStringLiteral("Zoom 25%"));

    window->picImage_MouseDown(1, 0, 30, 30);
    window->picImage_MouseMove(1, 0, 30, 30);
    const ImportRegion r = ImportRegion::at(30, 30);
    comparePortrait(blocks(60, 50, 1), r.origin);
    // The status names the region in the file's own pixels: four times the shown ones.
    QCOMPARE(status->panelText(1), QStringLiteral("Image imported (%1, %2 to %3, %4).")
                                       .arg(4 * r.origin.x())
                                       .arg(4 * r.origin.y())
                                       .arg(4 * (r.origin.x() + 48))
                                       .arg(4 * (r.origin.y() + 56)));
    // The loaded picture is kept as it was.
    QCOMPARE(window->loadedPicture(), picture);
}

void ImportViewTest::wheelKeepsPointAndOutlineSize()
{
    // Large enough to scroll even at half size.
    const QSize room = window->availableClientSize();
    const QImage picture = patternImage(4 * room.width(), 4 * room.height()); // even sides
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->zoom(-window->zoomStep(), QPointF(0, 0)); // it opens zoomed out
    QCOMPARE(window->zoomStep(), 0);
    const QSize windowSize = window->size();
    window->scroller()->horizontalScrollBar()->setValue(600);
    window->scroller()->verticalScrollBar()->setValue(500);
    const QPoint inView(100, 120);
    const QPoint onPicture = inView + window->scrollOffset();
    window->picImage_MouseMove(0, 0, float(onPicture.x()), float(onPicture.y()));

    wheel(onPicture, -4); // half size, around the pointer
    QCOMPARE(window->shownSize(), picture.size() / 2);
    // What is in view shows the shown picture's pixels there (once a quick sample, if
    // one was shown first, has given way to them).
    QTRY_VERIFY(window->renderingExact());
    const QRect inSight(window->scrollOffset(), window->scroller()->viewport()->size());
    QImage painted(inSight.size(), QImage::Format_RGB32);
    window->picImage->render(&painted, QPoint(), QRegion(inSight),
                             QWidget::DrawWindowBackground); // no outline
    QCOMPARE(painted, window->shownPicture().copy(inSight));
    // The same picture point, now at half its coordinates, is still under the pointer,
    // and the outline is still 50 x 58 there.
    QCOMPARE(window->scrollOffset(), onPicture / 2 - inView);
    QCOMPARE(window->shpCursor->size(), QSize(50, 58));
    QCOMPARE(window->shpCursor->geometry().topLeft(),
             ImportRegion::at(onPicture.x() / 2, onPicture.y() / 2).outline);

    // Back to 1:1: the picture is the loaded one again, pixel for pixel, the point in place.
    wheel(onPicture / 2, 4);
    QCOMPARE(window->zoomStep(), 0);
    QCOMPARE(window->pictureSurface().image(), picture);
    QCOMPARE(window->scrollOffset(), onPicture - inView);
    QCOMPARE(window->shpCursor->geometry().topLeft(), ImportRegion::at(onPicture.x(), onPicture.y()).outline);
    // The window keeps its size while zooming.
    QCOMPARE(window->size(), windowSize);

    // Half a notch does nothing yet; the other half completes it.
    const QPointF at(onPicture);
    QWheelEvent half(at, window->picImage->mapToGlobal(at), QPoint(), QPoint(0, -60), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->picImage, &half);
    QCOMPARE(window->zoomStep(), 0);
    QApplication::sendEvent(window->picImage, &half);
    QCOMPARE(window->zoomStep(), -1);
}

void ImportViewTest::zoomKeepsThePointUnderThePointer_data()
{
    QTest::addColumn<QPoint>("at"); // on the picture as it opens
    QTest::addColumn<QList<int>>("notches");
    QTest::newRow("out and in again, off the middle") << QPoint(300, 60) << QList<int>{-4, -2, 3, 3};
    QTest::newRow("near a corner") << QPoint(20, 280) << QList<int>{-1, -1, -5, 7};
    QTest::newRow("in past 1:1") << QPoint(120, 200) << QList<int>{-3, 5, -2};
}

void ImportViewTest::zoomKeepsThePointUnderThePointer()
{
    // While the picture is smaller than the view it does not jump to the middle: every
    // notch keeps the picture point under the pointer under it.
    QFETCH(QPoint, at);
    QFETCH(QList<int>, notches);
    loadPicture(patternImage(400, 300));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QSize windowSize = window->size();
    const QPoint inView = window->pictureInView() + at;
    const QPointF fraction(at.x() / 400.0, at.y() / 300.0); // of the picture, under the pointer
    window->picImage_MouseMove(0, 0, float(at.x()), float(at.y()));
    for (int n : notches) {
        const QPoint onPicture = inView - window->pictureInView();
        wheel(onPicture, n);
        const QSize shown = window->shownSize();
        const QPointF under = QPointF(inView - window->pictureInView());
        QVERIFY2(qAbs(under.x() / shown.width() - fraction.x()) * shown.width() <= 1.5 &&
                     qAbs(under.y() / shown.height() - fraction.y()) * shown.height() <= 1.5,
                 qPrintable(QStringLiteral("step %1: (%2, %3) is under the pointer")
                                .arg(window->zoomStep())
                                .arg(under.x() / shown.width())
                                .arg(under.y() / shown.height())));
        // The outline stays under the pointer too.
        QCOMPARE(window->shpCursor->geometry().topLeft(), ImportRegion::at(under.x(), under.y()).outline);
    }
    QCOMPARE(window->size(), windowSize);
}

void ImportViewTest::smallPictureOpensEnlarged()
{
    // 25 x 25: enlarged by whole steps until the 48 x 56 frame fits inside it.
    const QImage picture = patternImage(25, 25);
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QSize shown = window->shownSize();
    QVERIFY(shown.width() >= 48 && shown.height() >= 56);
    const QSize less = PictureScale::scaledSize(picture.size(), window->zoomStep() - 1);
    QVERIFY(less.width() < 48 || less.height() < 56);
    QCOMPARE(shown, PictureScale::scaledSize(picture.size(), window->zoomStep()));
    // All of it in view, pixels repeated, the window larger than the frame.
    QVERIFY2(QRect(QPoint(0, 0), window->scroller()->viewport()->size())
                 .contains(QRect(window->pictureInView(), shown)),
             qPrintable(QStringLiteral("%1x%2 at %3,%4 in %5x%6")
                            .arg(shown.width())
                            .arg(shown.height())
                            .arg(window->pictureInView().x())
                            .arg(window->pictureInView().y())
                            .arg(window->scroller()->viewport()->width())
                            .arg(window->scroller()->viewport()->height())));
    const QImage big = window->shownPicture();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            QCOMPARE(big.pixel(x, y), picture.pixel(int((x + 0.5) * 25 / shown.width()),
                                                    int((y + 0.5) * 25 / shown.height())));
    QVERIFY(window->width() > 48 + 12 && window->height() > 56 + 12);
}

void ImportViewTest::userSizeIsKeptForLargePictures()
{
    const QSize room = window->availableClientSize();
    loadPicture(patternImage(2 * room.width(), 2 * room.height()));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The user makes the window smaller; the next large picture opens in that size, whole.
    window->resize(420, 330);
    QTRY_COMPARE(window->size(), QSize(420, 330));
    QCOMPARE(window->rememberedSize(), QSize(420, 330));
    window->hide();
    loadPicture(patternImage(3 * room.width(), room.height()));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->size(), QSize(420, 330));
    QVERIFY(QRect(QPoint(0, 0), window->scroller()->viewport()->size())
                .contains(QRect(window->pictureInView(), window->shownSize())));
    // A picture that fits still gets a window around it.
    window->hide();
    loadPicture(patternImage(200, 100));
    QCOMPARE(window->picContainer->geometry(), QRect(4, 4, 204, 104));
}

void ImportViewTest::newPictureStartsAtOneToOne()
{
    loadPicture(patternImage(400, 300));
    wheel(QPoint(5, 5), -3);
    QVERIFY(window->zoomStep() != 0);
    const QImage second = patternImage(120, 90);
    loadPicture(second);
    QCOMPARE(window->zoomStep(), 0);
    QCOMPARE(window->pictureSurface().image(), second);
    QCOMPARE(window->picContainer->geometry(), QRect(4, 4, 124, 94));
    QCOMPARE(window->width(), 132);
}

void ImportViewTest::arrowsNudgeOutline_data()
{
    QTest::addColumn<QString>("finish");
    QTest::newRow("click") << "click";
    QTest::newRow("Enter") << "enter";
}

void ImportViewTest::arrowsNudgeOutline()
{
    QFETCH(QString, finish);
    const QImage picture = patternImage(300, 200);
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(window->picImage->hasFocus() || QApplication::focusWidget() == window->picImage);
    window->picImage_MouseMove(0, 0, 100, 80);
    const QImage before = document->picPreview().image().copy();
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left})
        QTest::keyClick(window->picImage, key);
    const ImportRegion nudged = ImportRegion::at(102, 79);
    QCOMPARE(window->shpCursor->geometry(), QRect(nudged.outline, QSize(50, 58)));
    // Only the outline moved.
    QCOMPARE(document->picPreview().image(), before);

    if (finish == "click") {
        window->picImage_MouseDown(1, 0, 100, 80);
        window->picImage_MouseUp(1, 0, 100, 80);
    } else {
        QTest::keyClick(window->picImage, Qt::Key_Return);
    }
    QVERIFY(window->isHidden());
    QVERIFY(!window->bMouseDown);
    comparePortrait(picture, nudged.origin);
    QCOMPARE(status->panelText(1), nudged.statusText());
}

void ImportViewTest::arrowsWithButtonHeldCopyAtOnce()
{
    const QImage picture = patternImage(300, 200);
    loadPicture(picture);
    window->show();
    window->picImage_MouseDown(1, 0, 100, 80);
    window->picImage_MouseMove(1, 0, 100, 80);
    window->picImage_KeyDown(Qt::Key_Down, 0);
    comparePortrait(picture, ImportRegion::at(100, 81).origin);
    // A move of the pointer takes over again from where the pointer is.
    window->picImage_MouseMove(1, 0, 150, 120);
    comparePortrait(picture, ImportRegion::at(150, 120).origin);
    window->picImage_MouseUp(1, 0, 150, 120);
    comparePortrait(picture, ImportRegion::at(150, 120).origin);
}

void ImportViewTest::fitKeyTakesTheWholePicture_data()
{
    QTest::addColumn<int>("filter");
    QTest::newRow("smooth") << int(PictureScale::Filter::Smooth);
    QTest::newRow("sharp") << int(PictureScale::Filter::Sharp);
}

void ImportViewTest::fitKeyTakesTheWholePicture()
{
    // 4 x 4 blocks, 48 x 28 of them: fitted, each block is one portrait pixel (the area
    // average keeps whole blocks exactly), centred between background bands of 14 rows.
    QFETCH(int, filter);
    const QImage picture = blocks(48, 28, 4);
    loadPicture(picture);
    window->setScaling(PictureScale::Filter(filter));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::keyClick(window->picImage, Qt::Key_F);
    QVERIFY(window->isHidden());
    const QImage expected =
        PictureScale::Filter(filter) == PictureScale::Filter::Smooth
            ? blocks(48, 28, 1)
            : PictureScale::scaledPart(picture, {48, 28}, QRect(0, 0, 48, 28), PictureScale::Filter::Sharp);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const bool inside = y >= 14 && y < 42;
            QCOMPARE(document->picPreview().pixel(x, y), inside ? pixelAt(expected, x, y - 14) : background);
        }
    QCOMPARE(status->panelText(1), QStringLiteral("Image imported (0, 0 to 192, 112)."));
}

void ImportViewTest::coverKeyCentresTheFrameOnTheScaledPicture()
{
    // Covered, the 192 x 112 picture is 96 x 56: 2 x 2 blocks become pixels, and the
    // frame stands in the middle, columns 24 to 71.
    loadPicture(blocks(48, 28, 4));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::keyClick(window->picImage, Qt::Key_C);
    QVERIFY(window->isVisible());
    QCOMPARE(window->shownSize(), QSize(96, 56));
    // The frame takes what the view shows there, scaled with the portrait's filter
    // (sharp unless Smooth is chosen).
    QCOMPARE(window->scaling(), PictureScale::Filter::Sharp);
    const QImage shown = window->shownPicture();
    QCOMPARE(shown, PictureScale::scaledPart(window->loadedPicture(), {96, 56}, QRect(0, 0, 96, 56),
                                             PictureScale::Filter::Sharp));
    QTest::keyClick(window->picImage, Qt::Key_Return);
    QVERIFY(window->isHidden());
    comparePortrait(shown, QPoint(24, 0));
    QCOMPARE(status->panelText(1), QStringLiteral("Image imported (48, 0 to 144, 112)."));
}

void ImportViewTest::zoomingKeepsMemoryBounded()
{
    // Every step up to 8 times and back: only what is in view is ever scaled. An
    // enlarged copy of the whole picture would be 1.5 GB at 8 times.
    const QImage picture = patternImage(3000, 2000);
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto peakMB = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss / 1024;
    };
    const long before = peakMB();
    const QPoint at(1500, 1000);
    window->picImage_MouseMove(0, 0, at.x(), at.y());
    while (window->zoomStep() < PictureScale::MaxStep)
        wheel(window->picImage->mapFrom(window->scroller()->viewport(), QPoint(200, 150)), 1);
    QCOMPARE(window->zoomStep(), PictureScale::MaxStep);
    QCOMPARE(window->zoomText(), QStringLiteral("Zoom 800%"));
    for (int i = 0; i < PictureScale::MaxStep + 8; ++i)
        wheel(window->picImage->mapFrom(window->scroller()->viewport(), QPoint(200, 150)), -1);
    QCOMPARE(window->zoomStep(), -8);
    const long grown = peakMB() - before;
    QVERIFY2(grown < 200, qPrintable(QStringLiteral("peak grew by %1 MB").arg(grown)));
}

QTEST_MAIN(ImportViewTest)
#include "tst_importview.moc"
