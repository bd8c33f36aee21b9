#include "canvas/ColourAdjustment.h"
#include "files/PortraitFiles.h"
#include "mainwindow/AdjustColoursDialog.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/PaletteStrip.h"
#include "mainwindow/RecentFiles.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>
#include <QSlider>
#include <QSpinBox>
#include <QToolTip>
#include <QtTest>

namespace {

// What the view shows at the centre of a cell.
Colour shownAt(frmMain& window, QPoint cell)
{
    const int zoom = window.canvas().zoom();
    return window.canvas().picFace().pixel(cell.x() * zoom + zoom / 2, cell.y() * zoom + zoom / 2);
}

} // namespace

// The everyday edits on the window, through their keys: mirror, flip and shift, the
// colour adjustment with its live preview, the portrait's palette, and the recent list's
// word on a file that has gone.
class EverydayEditingTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void movesAreOneUndoStepEach_data();
    void movesAreOneUndoStepEach();
    void adjustmentPreviewsLive_data();
    void adjustmentPreviewsLive();
    void paletteShowsColoursMostUsedFirst();
    void paletteClicksPickAsGrabColor_data();
    void paletteClicksPickAsGrabColor();
    void recentPortraitThatIsGoneIsDropped();
    void saveKeys_data();
    void saveKeys();
};

void EverydayEditingTest::init()
{
    QVERIFY(openWindow());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->picFaceBox()->setFocus();
}

void EverydayEditingTest::cleanup()
{
    window.reset();
}

void EverydayEditingTest::movesAreOneUndoStepEach_data()
{
    // For each cell afterwards, the cell it came from.
    using Source = QPoint (*)(int x, int y);
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<quintptr>("source");
    const auto row = [](const char* name, const char* keys, Source source) {
        QTest::newRow(name) << QKeySequence(keys) << quintptr(source);
    };
    row("Ctrl+Shift+M mirrors left to right", "Ctrl+Shift+M", [](int x, int y) { return QPoint(47 - x, y); });
    row("Ctrl+Shift+F flips top to bottom", "Ctrl+Shift+F", [](int x, int y) { return QPoint(x, 55 - y); });
    row("Ctrl+Shift+Right, the last column wraps to the first", "Ctrl+Shift+Right",
        [](int x, int y) { return QPoint((x + 47) % 48, y); });
    row("Ctrl+Shift+Left", "Ctrl+Shift+Left", [](int x, int y) { return QPoint((x + 1) % 48, y); });
    row("Ctrl+Shift+Down", "Ctrl+Shift+Down", [](int x, int y) { return QPoint(x, (y + 55) % 56); });
    row("Ctrl+Shift+Up", "Ctrl+Shift+Up", [](int x, int y) { return QPoint(x, (y + 1) % 56); });
}

void EverydayEditingTest::movesAreOneUndoStepEach()
{
    QFETCH(QKeySequence, keys);
    QFETCH(quintptr, source);
    const auto sourceOf = reinterpret_cast<QPoint (*)(int, int)>(source);
    const QImage before = TestSupport::patternImage(48, 56);
    window->document().loadPortrait(before);
    const int steps = window->document().history().count();
    QTest::keySequence(window.get(), keys);
    const QImage after = window->document().picPreview().image().copy();
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const QPoint from = sourceOf(x, y);
            QCOMPARE(TestSupport::pixelAt(after, x, y), TestSupport::pixelAt(before, from.x(), from.y()));
        }
    QCOMPARE(shownAt(*window, {0, 0}), TestSupport::pixelAt(after, 0, 0));
    QCOMPARE(window->document().history().count(), steps + 1);
    QTest::keySequence(window.get(), QKeySequence("Ctrl+Z"));
    QCOMPARE(window->document().picPreview().image(), before);
    QCOMPARE(shownAt(*window, {0, 0}), TestSupport::pixelAt(before, 0, 0));
    QTest::keySequence(window.get(), QKeySequence("Ctrl+Y"));
    QCOMPARE(window->document().picPreview().image(), after);
}

void EverydayEditingTest::adjustmentPreviewsLive_data()
{
    QTest::addColumn<int>("answer"); // 0 OK, 1 Cancel, 2 Escape
    QTest::newRow("OK is one undo step") << 0;
    QTest::newRow("Cancel restores") << 1;
    QTest::newRow("Escape restores") << 2;
}

void EverydayEditingTest::adjustmentPreviewsLive()
{
    QFETCH(int, answer);
    const QImage before = TestSupport::patternImage(48, 56);
    window->document().loadPortrait(before);
    const int steps = window->document().history().count();
    const QPoint probe(20, 30);
    ColourAdjustment::Settings wanted;
    wanted.brightness = 40;
    wanted.hue = 90;
    wanted.gamma = -30;
    const QImage expected = ColourAdjustment::apply(before, wanted);
    QVERIFY(TestSupport::pixelAt(expected, probe.x(), probe.y()) !=
            TestSupport::pixelAt(before, probe.x(), probe.y()));

    QString title;
    bool brightnessFirstAndFocused = false;
    Colour shownBrightened = 0, shownAll = 0, documentWhileOpen = 0;
    const auto watch = whenDialogShows([&](QDialog& dialog) {
        auto& adjust = static_cast<AdjustColoursDialog&>(dialog);
        title = adjust.windowTitle();
        // The box has the focus once the dialog's window is active, which a slow run reaches later.
        brightnessFirstAndFocused =
            QTest::qWaitFor(
                [&] { return QApplication::focusWidget() == adjust.box(AdjustColoursDialog::Brightness); },
                5000) &&
            adjust.box(AdjustColoursDialog::Brightness)->minimum() == -100 &&
            adjust.box(AdjustColoursDialog::Brightness)->maximum() == 100;
        // Typed into the focused box, the view follows at once.
        QTest::keyClicks(QApplication::focusWidget(), "40");
        shownBrightened = shownAt(*window, probe);
        adjust.slider(AdjustColoursDialog::Hue)->setValue(90);
        adjust.box(AdjustColoursDialog::Gamma)->setValue(-30);
        shownAll = shownAt(*window, probe);
        documentWhileOpen = window->document().picPreview().pixel(probe.x(), probe.y());
        if (answer == 0)
            adjust.accept();
        else if (answer == 1)
            adjust.reject();
        else
            QTest::keyClick(&adjust, Qt::Key_Escape);
    });
    QTest::keySequence(window.get(), QKeySequence("Ctrl+U"));
    QCOMPARE(title, QStringLiteral("Adjust Colours"));
    QVERIFY(brightnessFirstAndFocused);
    ColourAdjustment::Settings brightened;
    brightened.brightness = 40;
    QCOMPARE(shownBrightened,
             TestSupport::pixelAt(ColourAdjustment::apply(before, brightened), probe.x(), probe.y()));
    QCOMPARE(shownAll, TestSupport::pixelAt(expected, probe.x(), probe.y()));
    QCOMPARE(documentWhileOpen, TestSupport::pixelAt(before, probe.x(), probe.y()));

    const QImage now = window->document().picPreview().image().copy();
    QCOMPARE(shownAt(*window, probe), TestSupport::pixelAt(now, probe.x(), probe.y()));
    if (answer == 0) {
        QCOMPARE(now, expected);
        QCOMPARE(window->document().history().count(), steps + 1);
        window->document().undo();
        QCOMPARE(window->document().picPreview().image(), before);
    } else {
        QCOMPARE(now, before);
        QCOMPARE(window->document().history().count(), steps);
        QVERIFY(!window->document().isModified() || steps > 0);
    }
}

void EverydayEditingTest::paletteShowsColoursMostUsedFirst()
{
    // 100 colours: grey on most cells, then red, then blue, then 97 of a single cell.
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(qRgb(128, 128, 128));
    for (int x = 0; x < 48; ++x) {
        portrait.setPixel(x, 0, qRgb(255, 0, 0));
        portrait.setPixel(x, 1, qRgb(255, 0, 0));
        portrait.setPixel(x, 2, qRgb(0, 0, 255));
    }
    for (int i = 0; i < 97; ++i)
        portrait.setPixel(i % 48, 3 + i / 48, qRgb(i, 200, 50));
    window->document().loadPortrait(portrait);
    PaletteStrip* strip = window->panel().picPalette;
    QTRY_COMPARE(int(strip->swatches().size()), PaletteStrip::MostSwatches);
    QCOMPARE(strip->swatches()[0].colour, RGBColour(128, 128, 128));
    QCOMPARE(strip->swatches()[0].cells, 48 * 56 - 96 - 48 - 97);
    QCOMPARE(strip->swatches()[1].colour, RGBColour(255, 0, 0));
    QCOMPARE(strip->swatches()[2].colour, RGBColour(0, 0, 255));
    QCOMPARE(strip->swatches()[3].colour, RGBColour(0, 200, 50)); // ties in colour order
    // Shown on screen, each swatch its colour; its hex and count on hover.
    const QImage shown = strip->grab().toImage();
    QCOMPARE(fromQRgb(shown.pixel(strip->swatchRect(1).center())), RGBColour(255, 0, 0));
    QHelpEvent hover(QEvent::ToolTip, strip->swatchRect(1).center(),
                     strip->mapToGlobal(strip->swatchRect(1).center()));
    QApplication::sendEvent(strip, &hover);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("#FF0000: 96 cells"));
    QToolTip::hideText();

    // A stroke changes it: the brush paints blue cells over red ones; red falls behind.
    window->state().FGColor = RGBColour(0, 0, 255);
    window->picFace_MouseDown(1, 0, 4, 4);
    for (int x = 0; x < 48; ++x)
        window->picFace_MouseMove(1, 0, float(x * 8 + 4), 4);
    window->picFace_MouseUp(1, 0, 47 * 8 + 4, 4);
    QTRY_COMPARE(strip->swatches()[1].colour, RGBColour(0, 0, 255));
    QCOMPARE(strip->swatches()[1].cells, 96);
    QCOMPARE(strip->swatches()[2].colour, RGBColour(255, 0, 0));
    QCOMPARE(strip->swatches()[2].cells, 48);
}

void EverydayEditingTest::paletteClicksPickAsGrabColor_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("well"); // 0 FG, 1 BG, 2 R1, 3 R2
    QTest::newRow("click: foreground") << Qt::LeftButton << Qt::KeyboardModifiers() << 0;
    QTest::newRow("right click: background") << Qt::RightButton << Qt::KeyboardModifiers() << 1;
    QTest::newRow("Shift+click: replace 1")
        << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << 2;
    QTest::newRow("Ctrl+click: replace 1")
        << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ControlModifier) << 2;
    QTest::newRow("Alt+right click: replace 2")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::AltModifier) << 3;
}

void EverydayEditingTest::paletteClicksPickAsGrabColor()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, well);
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(qRgb(10, 20, 30));
    portrait.setPixel(5, 5, qRgb(200, 100, 50));
    window->document().loadPortrait(portrait);
    PaletteStrip* strip = window->panel().picPalette;
    QTRY_COMPARE(int(strip->swatches().size()), 2);
    const Colour picked = RGBColour(200, 100, 50);
    QTest::mouseClick(strip, button, modifiers, strip->swatchRect(1).center());
    const EditingState& s = window->state();
    ControlPanel& p = window->panel();
    const Colour values[] = {s.FGColor, s.BGColor, s.R1Color, s.R2Color};
    const Colour fills[] = {p.picFG->fill(), p.picBG->fill(), p.picR1->fill(), p.picR2->fill()};
    const Colour start[] = {RGBColour(255, 255, 255), 0, RGBColour(255, 255, 255), 0};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(values[i], i == well ? picked : start[i]);
        QCOMPARE(fills[i], values[i]);
    }
}

void EverydayEditingTest::recentPortraitThatIsGoneIsDropped()
{
    const QString kept = TestSupport::tempPath("recent-kept.jpg");
    const QString gone = TestSupport::tempPath("recent-gone.jpg");
    window->document().loadPortrait(TestSupport::patternImage(48, 56));
    for (const QString& file : {gone, kept}) {
        dialogs->fileAnswers.enqueue(file);
        QVERIFY(window->files().SavePortrait());
    }
    RecentFiles& recent = window->recentFiles();
    QCOMPARE(recent.files(), (QStringList{kept, gone}));
    QVERIFY(QFile::remove(gone));
    window->NewPortrait();
    // Chosen from the Open button's menu: the gone one is said so and leaves the list.
    QMenu* menu = recent.menu();
    QCOMPARE(menu->actions().size(), 2);
    menu->actions()[1]->trigger();
    QVERIFY(window->stbMain()->panelText(1).contains("no longer there"));
    QCOMPARE(recent.files(), QStringList{kept});
    QCOMPARE(menu->actions().size(), 1);
    QVERIFY(window->document().picPreview().image() != TestSupport::patternImage(48, 56));
    menu->actions()[0]->trigger();
    QTRY_COMPARE(window->files().portraitFile(), kept);
    QCOMPARE(window->windowTitle(), QStringLiteral("recent-kept.jpg[*] - Pictoria"));
}

void EverydayEditingTest::saveKeys_data()
{
    QTest::addColumn<QString>("file"); // the portrait's own file, if any
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("asks");
    QTest::newRow("Ctrl+S writes the JPEG back") << "own.jpg" << QKeySequence("Ctrl+S") << false;
    QTest::newRow("Ctrl+S writes the PNG back") << "own.png" << QKeySequence("Ctrl+S") << false;
    QTest::newRow("Ctrl+S without a file asks") << "" << QKeySequence("Ctrl+S") << true;
    QTest::newRow("Ctrl+S on a format no encoder writes asks") << "own.ico" << QKeySequence("Ctrl+S") << true;
    QTest::newRow("Ctrl+Shift+S always asks") << "own.jpg" << QKeySequence("Ctrl+Shift+S") << true;
}

void EverydayEditingTest::saveKeys()
{
    QFETCH(QString, file);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, asks);
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(qRgb(0, 0, 200));
    QString own;
    if (!file.isEmpty()) {
        own = TestSupport::tempPath(QString::fromLatin1(QTest::currentDataTag()).left(12) + file);
        QVERIFY(portrait.save(own));
        window->files().openFile(own);
        QTRY_COMPARE(window->files().portraitFile(), own);
    } else {
        window->document().loadPortrait(portrait);
    }
    window->picFace_MouseDown(1, 0, 4, 4); // cell (0, 0) white
    window->picFace_MouseUp(1, 0, 4, 4);
    QCOMPARE(window->isWindowModified(), !own.isEmpty()); // a portrait without a file has no mark
    const QString other =
        TestSupport::tempPath(QString::fromLatin1(QTest::currentDataTag()).left(12) + "other.png");
    dialogs->fileAnswers.enqueue(other);
    QTest::keySequence(window.get(), keys);
    QCOMPARE(dialogs->fileRequests.size(), asks ? 1 : 0);
    const QString written = asks ? other : own;
    QCOMPARE(window->files().portraitFile(), written);
    QCOMPARE(window->stbMain()->panelText(1), written + " saved successfully.");
    QVERIFY(!window->document().isModified());
    const QImage back(written);
    QCOMPARE(back.size(), QSize(48, 56));
    QVERIFY(qBlue(back.pixel(0, 0)) > 240 && qRed(back.pixel(0, 0)) > 240);
    QVERIFY(qRed(back.pixel(5, 5)) < 20 && qBlue(back.pixel(5, 5)) > 180);
    if (!asks) {
        // In place: the file's own format, and the title names it without a mark.
        QCOMPARE(QImageReader(written).format(),
                 file.endsWith(".png") ? QByteArray("png") : QByteArray("jpeg"));
        QCOMPARE(window->windowTitle(), QFileInfo(written).fileName() + "[*] - Pictoria");
    }
}

QTEST_MAIN(EverydayEditingTest)
#include "tst_everydayediting.moc"
