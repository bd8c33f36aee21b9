#include "TestPictures.h"
#include "files/FreeImageGifWriter.h"
#include "import/ImportCommand.h"
#include "import/ImportRegion.h"
#include "import/frmImport.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QImageWriter>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

using TestSupport::patternImage;
using TestSupport::pixelAt;
using TestSupport::tempPath;

// The Import command in the main window: the dialog, the window sized around the
// picture and shown modally, the pick through it, reuse, and hostile files that must
// leave the portrait alone with one message.
class ImportCommandTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dialogAsksForBitmap();
    void emptyOrWildcardNameStops_data();
    void emptyOrWildcardNameStops();
    void importSizesWindowAndPicks_data();
    void importSizesWindowAndPicks();
    void pickIsOneUndoStep();
    void escapeUndoesThePick();
    void noPopupOnTheViewWhileTheWindowIsOpen();
    void windowLeavesTheViewInSight();
    void secondImportReusesWindow();
    void cancelAfterImportDoesNotReopen();
    void missingFileSaysSo();
    void transparentPixelsTakeTheWellColour();
    void hostileFilesLeavePortraitAlone_data();
    void hostileFilesLeavePortraitAlone();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void jpegPixelsAreDjpegs_data();
    void jpegPixelsAreDjpegs();
    void largeJpegOpensReducedAndPicksFilePixels();

private:
    QString writePicture(const QString& name, const QImage& image);
    // A portrait worth keeping, loaded: its pixels and its magnified back buffer.
    std::pair<QImage, QImage> keepAPortrait()
    {
        window->document().loadPortrait(patternImage(48, 56));
        return {window->document().picPreview().image().copy(),
                window->canvas().picBackBuffer().image().copy()};
    }
    // Runs the command; inside the modal window, pick() runs, then the button is released.
    void importAndPick(const QString& path, const std::function<void(frmImport&)>& pick);

    std::shared_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<frmMain> window;
};

void ImportCommandTest::init()
{
    dialogs = std::make_shared<ScriptedDialogs>();
    window = std::make_unique<frmMain>(dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void ImportCommandTest::cleanup()
{
    window.reset();
}

QString ImportCommandTest::writePicture(const QString& name, const QImage& image)
{
    const QString path = tempPath(name);
    image.save(path, "BMP");
    return path;
}

void ImportCommandTest::importAndPick(const QString& path, const std::function<void(frmImport&)>& pick)
{
    dialogs->fileAnswers.enqueue(path);
    bool ranInside = false;
    const auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
        ranInside = true;
        pick(w);
        w.picImage_MouseUp(1, 0, 0, 0);
    });
    // Never hang the suite; a guard of this import only, gone when it returns.
    QTimer neverHang;
    neverHang.setSingleShot(true);
    connect(&neverHang, &QTimer::timeout, window.get(), [&] {
        if (frmImport* w = window->importCommand().window())
            w->hide();
    });
    neverHang.start(5000);
    window->ImportBitmap();
    QVERIFY2(ranInside, "the import window was not shown modally");
}

void ImportCommandTest::dialogAsksForBitmap()
{
    window->ImportBitmap(); // no answer scripted: cancelled
    QCOMPARE(dialogs->fileRequests.size(), 1);
    QVERIFY(!dialogs->fileRequestWasSave[0]);
    QCOMPARE(dialogs->fileRequests[0].title, QStringLiteral("Import Bitmap"));
    // "All pictures" first (and selected), then the classic four, other formats, "All files".
    const QStringList parts = dialogs->fileRequests[0].filter.split('|');
    QCOMPARE(parts.size() % 2, 0);
    QCOMPARE(parts[0], QStringLiteral("All pictures"));
    const QStringList all = parts[1].split(';');
    for (const char* e : {"bmp", "jpg", "jpeg", "jpe", "png", "gif", "pcx", "tif", "tiff", "tga", "psd",
                          "exr", "hdr", "pfm", "pbm", "pgm", "ppm", "ico"})
        for (const QString& pattern : {"*." + QString(e), "*." + QString(e).toUpper()})
            QVERIFY2(all.contains(pattern), qPrintable(pattern));
    const QStringList classic{"Windows Bitmap (*.bmp)", "*.bmp", "JPEG Image (*.jpg)",       "*.jpg",
                              "GIF Image (*.gif)",      "*.gif", "ZSoft Paintbrush (*.pcx)", "*.pcx"};
    QCOMPARE(parts.mid(2, 8), classic);
    QVERIFY(parts.size() > 12); // one filter per further format
    QCOMPARE(parts.mid(parts.size() - 2), QStringList({"All files", "*"}));
    QCOMPARE(dialogs->fileRequests[0].filterIndex, 1);
    QVERIFY(dialogs->messages.isEmpty());
    QVERIFY(!window->importCommand().window());
}

void ImportCommandTest::emptyOrWildcardNameStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("wildcard") << writePicture("*.bmp", patternImage(60, 60));
}

void ImportCommandTest::emptyOrWildcardNameStops()
{
    QFETCH(QString, name);
    dialogs->fileAnswers.enqueue(name);
    window->ImportBitmap();
    QVERIFY(!window->importCommand().window());
    QVERIFY(dialogs->messages.isEmpty());
}

void ImportCommandTest::importSizesWindowAndPicks_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("700 x 500") << QSize(700, 500);
    QTest::newRow("larger than the screen") << QSize(3000, 2000);
    QTest::newRow("200 x 150") << QSize(200, 150);
    QTest::newRow("smaller than a portrait") << QSize(20, 30);
}

void ImportCommandTest::importSizesWindowAndPicks()
{
    QFETCH(QSize, size);
    const QImage picture = patternImage(size.width(), size.height());
    const Colour well = RGBColour(200, 10, 90);
    window->panel().picBG->setFill(well);
    QSize imageSize, windowSize, room;
    QRect container, frame, screen, view;
    QImage shown;
    bool modal = false;
    Qt::WindowFlags flags;
    QString title;
    QWidget* owner = nullptr;
    importAndPick(writePicture("pick.bmp", picture), [&](frmImport& w) {
        imageSize = w.picImage->size();
        shown = w.shownPicture();
        container = w.picContainer->geometry();
        frame = w.frameGeometry();
        screen = w.screen()->availableGeometry();
        view = QRect(w.pictureInView(), w.scroller()->viewport()->size());
        windowSize = w.size();
        room = w.availableClientSize();
        modal = w.isModal();
        flags = w.windowFlags();
        title = w.windowTitle();
        owner = w.parentWidget();
        w.picImage_MouseDown(1, 0, 0, 0);
        w.picImage_MouseMove(1, 0, 0, 0);
    });
    // The window lies on the screen and the whole picture shows in it: a large one zoomed
    // out, one smaller than the portrait enlarged until the frame fits inside it.
    QVERIFY(screen.contains(frame));
    QCOMPARE(imageSize, shown.size());
    QVERIFY(QRect(QPoint(0, 0), view.size()).contains(QRect(view.topLeft(), imageSize)));
    if (size.width() >= 48 && size.width() + 12 <= room.width() && size.height() + 12 <= room.height()) {
        QCOMPARE(imageSize, size);
        QCOMPARE(container, QRect(QPoint(4, 4), size + QSize(4, 4)));
        QCOMPARE(windowSize.width(), size.width() + 12);
    } else {
        QVERIFY(size.width() > 2000 ? imageSize.width() < size.width() : imageSize.width() >= 48);
        QVERIFY(imageSize.height() >= 56);
        QCOMPARE(container.topLeft(), QPoint(4, 4));
    }
    QVERIFY(modal);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(title, QStringLiteral("Import Picture"));
    QCOMPARE(owner, window.get());
    QVERIFY(window->importCommand().window()->isHidden());

    // Pointer on the picture's corner: region (-23, -27), the well's colour above and left.
    const Surface& preview = window->document().picPreview();
    QCOMPARE(preview.pixel(0, 0), well);
    QCOMPARE(preview.pixel(22, 40), well);
    QCOMPARE(preview.pixel(30, 26), well);
    for (int y = 27; y < 56; ++y)
        for (int x = 23; x < 48; ++x) {
            const bool inside = x - 23 < shown.width() && y - 27 < shown.height();
            QCOMPARE(preview.pixel(x, y), inside ? pixelAt(shown, x - 23, y - 27) : well);
        }
    QCOMPARE(window->canvas().picBackBuffer().pixel(8 * 30 + 4, 8 * 40 + 4), preview.pixel(30, 40));
    if (shown.size() == size)
        QCOMPARE(window->stbMain()->panelText(1), QStringLiteral("Image imported (-23, -27 to 25, 29)."));
    QVERIFY(dialogs->messages.isEmpty());
}

void ImportCommandTest::pickIsOneUndoStep()
{
    const QImage before = window->document().picPreview().image().copy();
    const int steps = window->document().history().count();
    importAndPick(writePicture("undo.bmp", patternImage(300, 200)), [](frmImport& w) {
        w.picImage_MouseDown(1, 0, 40, 40);
        for (int x = 40; x < 140; x += 10)
            w.picImage_MouseMove(1, 0, float(x), 60);
    });
    QCOMPARE(window->document().history().count(), steps + 1);
    window->document().history().undo();
    QCOMPARE(window->document().picPreview().image(), before);
}

void ImportCommandTest::escapeUndoesThePick()
{
    window->document().setCell(3, 4, RGBColour(1, 2, 3));
    const QImage before = window->document().picPreview().image().copy();
    const QImage backBefore = window->canvas().picBackBuffer().image().copy();
    const int steps = window->document().history().count();
    window->stbMain()->setPanelText(1, QStringLiteral("before"));
    dialogs->fileAnswers.enqueue(writePicture("escape.bmp", patternImage(300, 200)));
    const auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
        QTest::mousePress(w.picImage, Qt::LeftButton, {}, QPoint(60, 60));
        QTest::mouseMove(w.picImage, QPoint(90, 70));
        QVERIFY(window->document().picPreview().image() != before); // the pick shows live
        QTest::keyClick(w.picImage, Qt::Key_Escape);
        QTest::mouseRelease(w.picImage, Qt::LeftButton, {}, QPoint(90, 70));
    });
    // Never hang the suite; a guard of this import only, gone when it returns.
    QTimer neverHang;
    neverHang.setSingleShot(true);
    connect(&neverHang, &QTimer::timeout, window.get(), [&] {
        if (frmImport* w = window->importCommand().window())
            w->hide();
    });
    neverHang.start(5000);
    window->ImportBitmap();
    QVERIFY(window->importCommand().window()->isHidden());
    QCOMPARE(window->document().picPreview().image(), before);
    QCOMPARE(window->canvas().picBackBuffer().image(), backBefore);
    QCOMPARE(window->canvas().picFace().pixel(3 * 8 + 4, 4 * 8 + 4), RGBColour(1, 2, 3));
    QCOMPARE(window->document().history().count(), steps);
    QCOMPARE(window->stbMain()->panelText(1), QStringLiteral("before"));
}

void ImportCommandTest::noPopupOnTheViewWhileTheWindowIsOpen()
{
    // The pointer rests on the view with the popup showing, then Ctrl+I opens the window.
    PictureBox* view = window->picFaceBox();
    QTest::mouseMove(view, view->clientOrigin() + QPoint(100, 50));
    const QRect popup(108, 58, 88, 21);
    const auto popupShows = [&] {
        const Surface& face = window->canvas().picFace();
        const Surface& back = window->canvas().picBackBuffer();
        const QPoint in = popup.topLeft() + QPoint(22, 11); // off the grid's lines
        return face.pixel(in.x(), in.y()) != back.pixel(in.x(), in.y());
    };
    QVERIFY(popupShows());
    bool atOpen = true, afterPick = true;
    importAndPick(writePicture("popup.bmp", patternImage(300, 200)), [&](frmImport& w) {
        atOpen = popupShows();
        // Copies of the region change the portrait under the old pointer position.
        w.picImage_MouseDown(1, 0, 60, 60);
        w.picImage_MouseMove(1, 0, 90, 70);
        afterPick = popupShows();
    });
    QVERIFY2(!atOpen, "the popup stayed on the view when the import window opened");
    QVERIFY2(!afterPick, "the popup came back while the region was picked");
}

void ImportCommandTest::windowLeavesTheViewInSight()
{
    // Placed before it is shown: beside the main window where the screen has room.
    const QRect view(window->picFaceBox()->mapToGlobal(QPoint(0, 0)), window->picFaceBox()->size());
    QRect placed;
    dialogs->fileAnswers.enqueue(writePicture("beside.bmp", patternImage(120, 90)));
    const auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
        placed = w.frameGeometry();
        w.hide();
    });
    window->ImportBitmap();
    QVERIFY(!placed.isEmpty());
    QVERIFY2(!placed.intersects(view), "the import window covers the view");
    QVERIFY(window->screen()->availableGeometry().contains(placed));
}

void ImportCommandTest::secondImportReusesWindow()
{
    importAndPick(writePicture("first.bmp", patternImage(1000, 800)), [](frmImport&) {});
    frmImport* first = window->importCommand().window();
    QVERIFY(first);
    QVERIFY(!first->tmrFader->isActive());        // the hidden window's pulse rests
    first->tmrFader->setInterval(60 * 60 * 1000); // so no tick lands while it is shown again
    first->FadeDirection = -1;
    first->FadeStep = 33;

    QImage second(200, 150, QImage::Format_RGB32);
    second.fill(qRgb(1, 2, 3));
    second.setPixel(110, 90, qRgb(250, 0, 0));
    importAndPick(writePicture("second.bmp", second), [](frmImport& w) {
        w.picImage_MouseDown(1, 0, 100, 100);
        w.picImage_MouseMove(1, 0, 100, 100);
    });
    QCOMPARE(window->importCommand().window(), first);
    QCOMPARE(first->picImage->size(), QSize(200, 150));
    QCOMPARE(first->picContainer->geometry(), QRect(4, 4, 204, 154));
    QCOMPARE(first->pictureSurface().size(), QSize(200, 150));
    // The pulse carries on from where it was.
    QCOMPARE(first->FadeDirection, -1);
    QCOMPARE(first->FadeStep, 33);
    const Surface& preview = window->document().picPreview();
    QCOMPARE(preview.pixel(110 - 77, 90 - 73), RGBColour(250, 0, 0));
    QCOMPARE(preview.pixel(0, 0), RGBColour(1, 2, 3));
}

void ImportCommandTest::cancelAfterImportDoesNotReopen()
{
    importAndPick(writePicture("earlier.bmp", patternImage(100, 100)), [](frmImport&) {});
    bool shown = false;
    const auto watch = whenImportWindowShows(*window, [&](frmImport&) { shown = true; });
    window->ImportBitmap(); // cancelled
    QCoreApplication::processEvents();
    QVERIFY(!shown);
    QVERIFY(window->importCommand().window()->isHidden());
    QVERIFY(dialogs->messages.isEmpty());
}

void ImportCommandTest::missingFileSaysSo()
{
    const QString path = tempPath("missing.bmp");
    dialogs->fileAnswers.enqueue(path);
    window->ImportBitmap();
    QCOMPARE(dialogs->messages.size(), 1);
    QCOMPARE(dialogs->messages[0].text,
             "Error occured: There is no file " + QDir::toNativeSeparators(path) + ".");
    QCOMPARE(dialogs->messages[0].title, QStringLiteral("Error Code 53"));
    QVERIFY(!window->importCommand().window() || window->importCommand().window()->isHidden());
}

void ImportCommandTest::transparentPixelsTakeTheWellColour()
{
    // Every other pixel transparent, hiding a colour of its own.
    QImage picture = patternImage(60, 70).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 70; ++y)
        for (int x = (y % 2); x < 60; x += 2)
            picture.setPixel(x, y, qRgba(255, 0, 255, 0));
    const QString path = tempPath("holes.png");
    QVERIFY(picture.save(path, "PNG"));
    const Colour well = RGBColour(20, 200, 120);
    window->panel().picBG->setFill(well);
    // The pointer at (23, 27) puts the region at the picture's corner.
    importAndPick(path, [](frmImport& w) {
        w.picImage_MouseDown(1, 0, 23, 27);
        w.picImage_MouseMove(1, 0, 23, 27);
    });
    const Surface& preview = window->document().picPreview();
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(preview.pixel(x, y), (x + y) % 2 == 0 ? well : pixelAt(picture, x, y));
    QVERIFY(dialogs->messages.isEmpty());
}

void ImportCommandTest::hostileFilesLeavePortraitAlone_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("why");
    auto pattern = [](int x, int y) { return qRgb(x * 9 & 255, y * 7 & 255, 100); };
    QTest::newRow("PSD that crashes the decoder")
        << TestPictures::mutate(TestPictures::psd(64, 48, pattern), 7, 8, 26) << "crash.psd"
        << "failed";
    QTest::newRow("70-byte bitmap claiming 30000 x 30000") << TestPictures::bmpMemoryBomb() << "bomb.bmp"
                                                           << "30000 x 30000";
    QByteArray exr = TestPictures::exr(16, 12, pattern);
    QByteArray junk("junk\0string\0", 12);
    TestPictures::le32(junk, 0x7ffffff0u);
    exr.insert(8, junk + "abcd");
    QTest::newRow("OpenEXR with a 2 GB attribute") << exr << "damaged.exr"
                                                   << "Out of memory";
}

void ImportCommandTest::hostileFilesLeavePortraitAlone()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, why);
    // A portrait worth keeping.
    const auto [portrait, view] = keepAPortrait();
    const QString path = tempPath(name);
    QVERIFY(TestPictures::write(path, file));

    dialogs->fileAnswers.enqueue(path);
    bool shown = false;
    {
        const auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
            shown = true;
            w.hide();
        });
        window->ImportBitmap();
        QCoreApplication::processEvents();
    }

    QVERIFY(!shown);
    QCOMPARE(dialogs->messages.size(), 1);
    const ScriptedDialogs::Message& m = dialogs->messages[0];
    QVERIFY2(m.text.startsWith("Error occured: "), qPrintable(m.text));
    QVERIFY2(m.text.contains(why), qPrintable(m.text));
    QVERIFY(m.title.startsWith("Error Code "));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QCOMPARE(window->document().picPreview().image(), portrait);
    QCOMPARE(window->canvas().picBackBuffer().image(), view);
    QVERIFY(window->isVisible());

    // And the editor goes on importing.
    dialogs->messages.clear();
    importAndPick(writePicture("after.bmp", patternImage(100, 100)), [](frmImport& w) {
        w.picImage_MouseDown(1, 0, 50, 50);
        w.picImage_MouseMove(1, 0, 50, 50);
    });
    QCOMPARE(window->document().picPreview().pixel(0, 0), pixelAt(patternImage(100, 100), 27, 23));
}

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

QByteArray cut(const QByteArray& bytes, int percent)
{
    return bytes.left(bytes.size() * percent / 100);
}

// A picture with detail in every channel at every scale, as a photo has.
QImage photoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 5 + y * 3) & 255, (x * x / 7 + y * 11) & 255, (x ^ y) * 3 & 255));
    return image;
}

} // namespace

void ImportCommandTest::damagedFilesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("refused");
    auto pattern = [](int x, int y) { return qRgb(x * 9 & 255, y * 7 & 255, 100); };
    const QImage picture = photoLike(90, 70);

    QTest::newRow("BMP cut inside its rows")
        << "cut.bmp" << cut(TestPictures::bmp(90, 70, 24, pattern), 60) << true;
    QTest::newRow("BMP missing its last byte")
        << "short.bmp" << TestPictures::bmp(90, 70, 24, pattern).chopped(1) << true;
    QTest::newRow("JPEG cut") << "cut.jpg" << cut(encoded(picture, "jpeg"), 60) << true;
    QTest::newRow("progressive JPEG cut") << "cutprogressive.jpg" << [&] {
        QImageWriter writer;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        writer.setDevice(&buffer);
        writer.setFormat("jpeg");
        writer.setProgressiveScanWrite(true);
        writer.write(picture);
        return cut(bytes, 80);
    }() << true;
    QByteArray corrupt = encoded(picture, "jpeg");
    const qsizetype scan = corrupt.indexOf("\xFF\xDA");
    corrupt[(scan + corrupt.size()) / 2] = char(0xFF); // a restart marker inside the scan
    corrupt[(scan + corrupt.size()) / 2 + 1] = char(0xD3);
    QTest::newRow("JPEG with a marker inside its data") << "corrupt.jpg" << corrupt << true;
    QTest::newRow("PNG cut") << "cut.png" << cut(encoded(picture, "png"), 60) << true;
    QByteArray gif;
    QString gifError;
    QVERIFY2(FreeImageGifWriter::encode(picture, gif, gifError), qPrintable(gifError));
    QTest::newRow("GIF cut") << "cut.gif" << cut(gif, 60) << true;
    QTest::newRow("TIFF cut inside its strips")
        << "cut.tif" << cut(TestPictures::tiff(90, 70, pattern), 60) << true;
    QTest::newRow("TIFF cut before its directory")
        << "cutdirectory.tif" << cut(encoded(picture, "tiff"), 60) << true;
    // Readers that go on past the end of the data and make the missing rows up.
    const auto index = [](int x, int y) { return (x / 3 + y * 7) & 0xFF; };
    const auto palette = [](int i) { return qRgb(i, 255 - i, i * 3 & 255); };
    const QByteArray pcx = TestPictures::pcx(90, 70, index, palette);
    QTest::newRow("PCX cut inside its rows") << "cut.pcx" << cut(pcx, 60) << true;
    QTest::newRow("PCX cut inside its palette") << "cutpalette.pcx" << pcx.chopped(100) << true;
    QTest::newRow("TGA cut inside its rows")
        << "cut.tga" << cut(TestPictures::tga(90, 70, pattern), 60) << true;
    const auto blocks = [](int x, int y) { return qRgb(x / 4 * 20 & 255, y / 3 * 30 & 255, 60); };
    const QByteArray tgaRle = TestPictures::tgaRle(90, 70, blocks);
    QTest::newRow("run-length TGA cut inside its rows") << "cutrle.tga" << cut(tgaRle, 60) << true;
    QTest::newRow("run-length TGA missing its last byte") << "shortrle.tga" << tgaRle.chopped(1) << true;

    // Whole files of those formats come in.
    QTest::newRow("PCX whole") << "whole.pcx" << pcx << false;
    QTest::newRow("run-length TGA whole") << "whole.tga" << tgaRle << false;
    // Warnings that leave the pixels whole.
    QTest::newRow("TIFF with an unknown tag")
        << "tag.tif" << TestPictures::tiff(90, 70, pattern, 65000) << false;
    QByteArray jfif = encoded(picture, "jpeg");
    jfif[jfif.indexOf(QByteArray("JFIF\0", 5)) + 5] = 3; // revision 3.01
    QTest::newRow("JPEG of an unknown JFIF revision") << "jfif3.jpg" << jfif << false;
    QImage profiled = picture;
    profiled.setColorSpace(QColorSpace::AdobeRgb);
    QTest::newRow("PNG with a colour profile") << "profile.png" << encoded(profiled, "png") << false;
    QTest::newRow("JPEG with a colour profile") << "profile.jpg" << encoded(profiled, "jpeg") << false;
}

void ImportCommandTest::damagedFilesAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(bool, refused);
    const auto [portrait, view] = keepAPortrait();
    const QString path = tempPath(name);
    QVERIFY(TestPictures::write(path, file));

    dialogs->fileAnswers.enqueue(path);
    QSize shown;
    const auto watch = whenImportWindowShows(*window, [&](frmImport& w) {
        shown = w.pictureSurface().size();
        w.hide();
    });
    window->ImportBitmap();
    QCoreApplication::processEvents();

    if (!refused) {
        QCOMPARE(shown, QSize(90, 70));
        QVERIFY(dialogs->messages.isEmpty());
        return;
    }
    QVERIFY(!shown.isValid());
    QCOMPARE(dialogs->messages.size(), 1);
    const ScriptedDialogs::Message& m = dialogs->messages[0];
    QVERIFY2(m.text.startsWith("Error occured: The file is damaged or incomplete ("), qPrintable(m.text));
    QCOMPARE(m.title, QStringLiteral("Error Code 481"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QCOMPARE(window->document().picPreview().image(), portrait);
    QCOMPARE(window->canvas().picBackBuffer().image(), view);
}

void ImportCommandTest::jpegPixelsAreDjpegs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("encoder"); // cjpeg or convert
    QTest::addColumn<QStringList>("options");
    QTest::newRow("4:2:0") << "420.jpg"
                           << "cjpeg" << QStringList{"-sample", "2x2"};
    QTest::newRow("4:2:2") << "422.jpg"
                           << "cjpeg" << QStringList{"-sample", "2x1"};
    QTest::newRow("4:4:4") << "444.jpg"
                           << "cjpeg" << QStringList{"-sample", "1x1"};
    QTest::newRow("progressive") << "progressive.jpg"
                                 << "cjpeg" << QStringList{"-progressive"};
    QTest::newRow("restart markers") << "restart.jpg"
                                     << "cjpeg" << QStringList{"-restart", "1"};
    QTest::newRow("grey") << "grey.jpg"
                          << "cjpeg" << QStringList{"-grayscale"};
    QTest::newRow("Adobe CMYK") << "cmyk.jpg"
                                << "convert" << QStringList{"-colorspace", "CMYK"};
}

void ImportCommandTest::jpegPixelsAreDjpegs()
{
    QFETCH(QString, name);
    QFETCH(QString, encoder);
    QFETCH(QStringList, options);
    for (const char* tool : {"cjpeg", "djpeg", "convert"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 is missing; scripts/setup.sh installs it").arg(tool)));
    // Sizes that leave partial blocks at both edges.
    const QString source = tempPath("source.ppm");
    QVERIFY(photoLike(157, 113).save(source, "PPM"));
    const QString path = tempPath(name);
    QProcess encode;
    if (encoder == QLatin1String("cjpeg"))
        encode.start("cjpeg", options + QStringList{"-outfile", path, source});
    else
        encode.start("convert", QStringList{source} + options + QStringList{path});
    QVERIFY(encode.waitForFinished(TestSupport::HangDeadlineMs));
    QCOMPARE(encode.exitCode(), 0);
    QProcess djpeg;
    djpeg.start("djpeg", {"-ppm", path});
    QVERIFY(djpeg.waitForFinished(TestSupport::HangDeadlineMs));
    QCOMPARE(djpeg.exitCode(), 0);
    const QImage expected =
        QImage::fromData(djpeg.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(expected.size(), QSize(157, 113));

    QImage imported;
    importAndPick(path, [&](frmImport& w) { imported = w.pictureSurface().image().copy(); });
    QVERIFY(dialogs->messages.isEmpty());
    QCOMPARE(imported.size(), expected.size());
    int worst = 0;
    QPoint at;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = imported.pixel(x, y), b = expected.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))});
            if (d > worst) {
                worst = d;
                at = QPoint(x, y);
            }
        }
    QVERIFY2(worst == 0,
             qPrintable(QStringLiteral("%1 levels off at (%2, %3)").arg(worst).arg(at.x()).arg(at.y())));
}

namespace {

// djpeg's pixels for the file, at scale/8 of its size (8: the whole picture).
QImage djpegPixels(const QString& path, int scale)
{
    QProcess djpeg;
    djpeg.start("djpeg", {"-scale", QStringLiteral("%1/8").arg(scale), "-ppm", path});
    if (!djpeg.waitForFinished(TestSupport::HangDeadlineMs) || djpeg.exitCode() != 0)
        return {};
    return QImage::fromData(djpeg.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
}

} // namespace

// Three imports in a row of JPEGs larger than the window's room: each opens on a reduced
// decode (libjpeg's DCT scaling, djpeg's pixels at that scale), stays right after a zoom,
// and at 1:1 picks exactly the file's pixels. The second picture is of another shape, so a
// size or a whole picture left over from the one before shows.
void ImportCommandTest::largeJpegOpensReducedAndPicksFilePixels()
{
    for (const char* tool : {"cjpeg", "djpeg"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 is missing; scripts/setup.sh installs it").arg(tool)));
    struct Picture {
        QString path;
        QImage whole;
    };
    std::vector<Picture> pictures;
    for (const QSize size : {QSize(2400, 1800), QSize(1800, 2400)}) {
        const QString source = tempPath("large.ppm");
        QVERIFY(photoLike(size.width(), size.height()).save(source, "PPM"));
        const QString path = tempPath(QStringLiteral("large-%1.jpg").arg(size.width()));
        QProcess encode;
        encode.start("cjpeg", {"-quality", "90", "-outfile", path, source});
        QVERIFY(encode.waitForFinished(TestSupport::HangDeadlineMs));
        QCOMPARE(encode.exitCode(), 0);
        pictures.push_back({path, djpegPixels(path, 8)});
        QCOMPARE(pictures.back().whole.size(), size);
    }
    const Picture order[] = {pictures[0], pictures[1], pictures[0]};
    for (int round = 0; round < 3; ++round) {
        const Picture& picture = order[round];
        const QPoint pointer(300 + 97 * round, 200 + 61 * round); // at 1:1, in file pixels
        QImage opened;
        bool openedReduced = false;
        importAndPick(picture.path, [&](frmImport& w) {
            QCOMPARE(w.pictureSize(), picture.whole.size());
            // The first view is made from a reduced decode, exactly djpeg's at its scale.
            opened = w.openedPixels();
            const int scale = (picture.whole.width() + opened.width() - 1) / opened.width();
            openedReduced = scale > 1;
            QVERIFY2(
                openedReduced,
                qPrintable(QStringLiteral("opened at %1 x %2").arg(opened.width()).arg(opened.height())));
            QCOMPARE(opened, djpegPixels(picture.path, 8 / scale));
            // A notch in and out, then 1:1: the view's size follows the picture's own.
            const QPointF middle(w.shownSize().width() / 2.0, w.shownSize().height() / 2.0);
            w.zoom(1, middle);
            w.zoom(-1, middle);
            for (int notch = 0; notch < 40 && w.shownSize() != picture.whole.size(); ++notch)
                w.zoom(1, QPointF(0, 0));
            QCOMPARE(w.shownSize(), picture.whole.size());
            QVERIFY(w.holdsWholePicture());
            QCOMPARE(w.loadedPicture(), picture.whole);
            w.picImage_MouseDown(1, 0, float(pointer.x()), float(pointer.y()));
        });
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(openedReduced);
        const QPoint origin = ImportRegion::at(float(pointer.x()), float(pointer.y())).origin;
        QCOMPARE(window->document().picPreview().image().convertToFormat(QImage::Format_RGB32),
                 picture.whole.copy(QRect(origin, QSize(ImportRegion::Width, ImportRegion::Height))));
    }
}

QTEST_MAIN(ImportCommandTest)
#include "tst_importcommand.moc"
