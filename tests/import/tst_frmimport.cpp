#include "canvas/PortraitCanvas.h"
#include "document/PortraitDocument.h"
#include "import/ImportRegion.h"
#include "import/OutlineShape.h"
#include "import/frmImport.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/TestSupport.h"

#include <QTimer>
#include <QtTest>

using TestSupport::patternImage;
using TestSupport::pixelAt;

// The import window on its own: region arithmetic, the live copy with its background
// fill, the re-render of the back buffer, the outline and its pulse, and how a pick ends.
class FrmImportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void regionFollowsPointer_data();
    void regionFollowsPointer();
    void dragCopiesRegionAndRedraws_data();
    void dragCopiesRegionAndRedraws();
    void moveWithoutButtonOnlyMovesOutline();
    void outlineIsDrawnAboveButNotCopied();
    void releaseOfAnyButtonHides_data();
    void releaseOfAnyButtonHides();
    void clickAloneTakesTheRegion();
    void closeBoxEndsWithoutFurtherCopy();
    void leavingPictureHidesOutline();
    void pulseRamps();
    void pulseRestsWhileHiddenAndContinuesWhenShown();
    void pulseStoppedByHandStaysStoppedWhenShown();
    void importRenderingEqualsCanvasRendering();

private:
    void loadPicture(const QImage& picture);
    QImage expectedPortrait(const QImage& picture, int rx, int ry) const;

    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    std::unique_ptr<StatusBar> status;
    std::unique_ptr<frmImport> window;
    Colour background = RGBColour(12, 200, 34);
};

void FrmImportTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    canvas->setGridSource([] { return true; });
    canvas->DrawGrid();
    status =
        std::make_unique<StatusBar>(QList<StatusBar::PanelLayout>{{420, "Ready."}, {120, "x"}, {96, "y"}});
    window = std::make_unique<frmImport>(*document, *status, [this] { return background; });
    window->tmrFader->stop(); // ticks are driven by hand here
}

void FrmImportTest::cleanup()
{
    window.reset();
    status.reset();
    canvas.reset();
}

void FrmImportTest::loadPicture(const QImage& picture)
{
    Surface& s = window->pictureSurface();
    s.resize(picture.width(), picture.height());
    s.copyFrom(picture, 0, 0, picture.width(), picture.height());
    window->fitToPicture();
}

QImage FrmImportTest::expectedPortrait(const QImage& picture, int rx, int ry) const
{
    QImage out(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            out.setPixel(x, y,
                         picture.rect().contains(rx + x, ry + y) ? picture.pixel(rx + x, ry + y)
                                                                 : toQRgb(background));
    return out;
}

void FrmImportTest::regionFollowsPointer_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QPoint>("outline");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QString>("text");
    QTest::newRow("picture corner") << 0.f << 0.f << QPoint(-24, -28) << QPoint(-23, -27)
                                    << "Image imported (-23, -27 to 25, 29).";
    QTest::newRow("inside") << 33.f << 47.f << QPoint(9, 19) << QPoint(10, 20)
                            << "Image imported (10, 20 to 58, 76).";
    QTest::newRow("far outside") << -500.f << 900.f << QPoint(-524, 872) << QPoint(-523, 873)
                                 << "Image imported (-523, 873 to -475, 929).";
    QTest::newRow("fraction below half")
        << 33.4f << 47.4f << QPoint(9, 19) << QPoint(10, 20) << "Image imported (10, 20 to 58, 76).";
    QTest::newRow("fraction above half")
        << 33.6f << 46.6f << QPoint(10, 19) << QPoint(11, 20) << "Image imported (11, 20 to 59, 76).";
}

void FrmImportTest::regionFollowsPointer()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QPoint, outline);
    QFETCH(QPoint, origin);
    QFETCH(QString, text);
    const ImportRegion r = ImportRegion::at(x, y);
    QCOMPARE(r.outline, outline);
    QCOMPARE(r.origin, origin);
    QCOMPARE(r.statusText(), text);
    // The region is the outline's inside.
    QCOMPARE(r.origin, r.outline + QPoint(1, 1));
}

void FrmImportTest::dragCopiesRegionAndRedraws_data()
{
    QTest::addColumn<QSize>("pictureSize");
    QTest::addColumn<QPointF>("pointer");
    QTest::newRow("inside") << QSize(200, 150) << QPointF(100, 80);
    QTest::newRow("picture corner") << QSize(200, 150) << QPointF(0, 0);
    QTest::newRow("past bottom right") << QSize(200, 150) << QPointF(190, 140);
    QTest::newRow("far outside") << QSize(200, 150) << QPointF(-400, -300);
    QTest::newRow("smaller than a portrait") << QSize(20, 30) << QPointF(10, 15);
}

void FrmImportTest::dragCopiesRegionAndRedraws()
{
    QFETCH(QSize, pictureSize);
    QFETCH(QPointF, pointer);
    const QImage picture = patternImage(pictureSize.width(), pictureSize.height());
    loadPicture(picture);
    QSignalSpy changed(document.get(), &PortraitDocument::changed);

    window->picImage_MouseDown(1, 0, float(pointer.x()), float(pointer.y()));
    window->picImage_MouseMove(1, 0, float(pointer.x()), float(pointer.y()));

    const ImportRegion r = ImportRegion::at(float(pointer.x()), float(pointer.y()));
    // A picture smaller than the portrait opens enlarged (pixels repeated) until the frame
    // fits inside it: the region is the shown pixels.
    const QImage shown = window->shownPicture();
    QCOMPARE(shown.size() == picture.size(), pictureSize.width() >= 48 && pictureSize.height() >= 56);
    const QImage expected = expectedPortrait(shown, r.origin.x(), r.origin.y());
    const Surface& preview = document->picPreview();
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(preview.pixel(x, y), pixelAt(expected, x, y));
    // Back buffer in step, view redrawn with the grid over it.
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            QCOMPARE(canvas->picBackBuffer().pixel(8 * x + 3, 8 * y + 5), pixelAt(expected, x, y));
            QCOMPARE(canvas->picFace().pixel(8 * x + 4, 8 * y + 4), pixelAt(expected, x, y));
        }
    QCOMPARE(canvas->picFace().pixel(8, 3), PortraitCanvas::GridLineColour);
    if (shown.size() == picture.size())
        QCOMPARE(status->panelText(1), r.statusText());
    QCOMPARE(changed.size(), 2); // the press takes the region, the move takes it again
    QVERIFY(window->bMouseDown);
}

void FrmImportTest::moveWithoutButtonOnlyMovesOutline()
{
    loadPicture(patternImage(200, 150));
    const QImage before = document->picPreview().image().copy();
    window->picImage_MouseMove(0, 0, 60, 70);
    QVERIFY(!window->shpCursor->isHidden());
    QCOMPARE(window->shpCursor->geometry(), QRect(36, 42, 50, 58));
    QCOMPARE(document->picPreview().image(), before);
    QCOMPARE(status->panelText(1), QStringLiteral("Ready."));
}

void FrmImportTest::outlineIsDrawnAboveButNotCopied()
{
    const QImage picture = patternImage(200, 150);
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (int i = 0; i < 30; ++i)
        window->tmrFader_Timer(); // grey 145
    window->picImage_MouseDown(1, 0, 100, 80);
    window->picImage_MouseMove(1, 0, 100, 80);

    const QImage onScreen = window->picImage->grab().toImage();
    const QRect outline = window->shpCursor->geometry();
    QCOMPARE(outline, QRect(76, 52, 50, 58));
    QCOMPARE(pixelAt(onScreen, outline.left(), outline.top() + 10), RGBColour(145, 145, 145));
    QCOMPARE(pixelAt(onScreen, outline.right(), outline.bottom()), RGBColour(145, 145, 145));
    QCOMPARE(pixelAt(onScreen, outline.left() + 1, outline.top() + 1), pixelAt(picture, 77, 53));
    // The copied pixels are the picture's, the outline's border included.
    QCOMPARE(document->picPreview().pixel(0, 0), pixelAt(picture, 77, 53));
    QCOMPARE(document->picPreview().pixel(47, 55), pixelAt(picture, 124, 108));
}

void FrmImportTest::releaseOfAnyButtonHides_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("left") << 1;
    QTest::newRow("right") << 2;
    QTest::newRow("middle") << 4;
}

void FrmImportTest::releaseOfAnyButtonHides()
{
    QFETCH(int, button);
    loadPicture(patternImage(200, 150));
    window->show();
    window->picImage_MouseDown(button, 0, 50, 50);
    window->picImage_MouseMove(button, 0, 60, 60);
    const QImage portrait = document->picPreview().image().copy();
    window->picImage_MouseUp(button, 0, 60, 60);
    QVERIFY(window->isHidden());
    QVERIFY(!window->bMouseDown);
    // The last copy stays.
    QCOMPARE(document->picPreview().image(), portrait);
    QCOMPARE(status->panelText(1), QStringLiteral("Image imported (37, 33 to 85, 89)."));
}

void FrmImportTest::clickAloneTakesTheRegion()
{
    const QImage picture = patternImage(200, 150);
    loadPicture(picture);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::mouseClick(window->picImage, Qt::LeftButton, {}, QPoint(50, 60));
    QVERIFY(window->isHidden());
    const ImportRegion r = ImportRegion::at(50, 60);
    const QImage expected = expectedPortrait(picture, r.origin.x(), r.origin.y());
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(document->picPreview().pixel(x, y), pixelAt(expected, x, y));
    QCOMPARE(status->panelText(1), r.statusText());
}

void FrmImportTest::closeBoxEndsWithoutFurtherCopy()
{
    loadPicture(patternImage(200, 150));
    QTimer::singleShot(0, this, [this] {
        window->picImage_MouseDown(1, 0, 50, 50);
        window->close();
    });
    QTimer::singleShot(3000, window.get(), &QDialog::hide); // never hang the suite
    window->exec();
    QVERIFY(window->isHidden());
    QVERIFY(!window->bMouseDown);
    const QImage before = document->picPreview().image().copy();
    window->picImage_MouseMove(1, 0, 90, 90);
    QCOMPARE(document->picPreview().image(), before);
}

void FrmImportTest::leavingPictureHidesOutline()
{
    loadPicture(patternImage(200, 150));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->picImage_MouseMove(0, 0, 30, 30);
    QVERIFY(!window->shpCursor->isHidden());
    // Over the container's border: the container takes the move, the outline stays.
    QTest::mouseMove(window->picContainer, QPoint(1, 50));
    QVERIFY(!window->shpCursor->isHidden());
    // Over the window's own background.
    QTest::mouseMove(window.get(), QPoint(2, 2));
    QTRY_VERIFY(window->shpCursor->isHidden());
}

void FrmImportTest::pulseRamps()
{
    QCOMPARE(window->FadeDirection, 0);
    QCOMPARE(window->FadeStep, 0);
    QList<int> greys;
    for (int i = 0; i < 204; ++i) {
        window->tmrFader_Timer();
        greys << redOf(window->shpCursor->borderColor());
        const Colour c = window->shpCursor->borderColor();
        QCOMPARE(greenOf(c), redOf(c));
        QCOMPARE(blueOf(c), redOf(c));
    }
    QCOMPARE(greys[0], 0);
    QCOMPARE(greys[1], 5);
    QCOMPARE(greys[50], 250);
    QCOMPARE(greys[51], 255); // darkening starts at full white
    QCOMPARE(greys[52], 250);
    QCOMPARE(greys[101], 5);
    QCOMPARE(greys[102], 0); // and brightening again
    QCOMPARE(greys[153], 255);
    QCOMPARE(greys[203], 5);
    QCOMPARE(window->FadeDirection, 0);
    QCOMPARE(window->FadeStep, 0);
    // Any other direction stops the pulse where it is.
    window->FadeDirection = 7;
    window->tmrFader_Timer();
    QCOMPARE(window->FadeStep, 0);
    QCOMPARE(redOf(window->shpCursor->borderColor()), 5);
}

void FrmImportTest::pulseRestsWhileHiddenAndContinuesWhenShown()
{
    frmImport fresh(*document, *status, [this] { return background; });
    QCOMPARE(fresh.tmrFader->interval(), 10);
    QVERIFY(fresh.isHidden());
    // Hidden: at most the first tick arrives and puts the pulse to rest, unchanged.
    QTRY_VERIFY_WITH_TIMEOUT(!fresh.tmrFader->isActive(), 2000);
    QCOMPARE(fresh.FadeStep, 0);
    QCOMPARE(fresh.FadeDirection, 0);
    fresh.show();
    QVERIFY(fresh.tmrFader->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(fresh.FadeStep >= 5 || fresh.FadeDirection != 0, 2000);
    fresh.hide();
    QVERIFY(!fresh.tmrFader->isActive());
    const int step = fresh.FadeStep, direction = fresh.FadeDirection;
    QTest::qWait(50);
    QCOMPARE(fresh.FadeStep, step);
    fresh.show();
    QVERIFY(fresh.tmrFader->isActive());
    QCOMPARE(fresh.FadeStep, step); // continues from where it rested
    QCOMPARE(fresh.FadeDirection, direction);
}

void FrmImportTest::pulseStoppedByHandStaysStoppedWhenShown()
{
    // The tests drive ticks by hand; a shown window must not start the timer again.
    window->show();
    QVERIFY(!window->tmrFader->isActive());
    window->hide();
    window->show();
    QVERIFY(!window->tmrFader->isActive());
}

void FrmImportTest::importRenderingEqualsCanvasRendering()
{
    const QImage picture = patternImage(200, 150);
    loadPicture(picture);
    window->picImage_MouseDown(1, 0, 120, 90);
    window->picImage_MouseMove(1, 0, 120, 90);
    const QImage ours = canvas->picBackBuffer().image().copy();
    canvas->DrawtoBB();
    QCOMPARE(ours, canvas->picBackBuffer().image());
}

QTEST_MAIN(FrmImportTest)
#include "tst_frmimport.moc"
