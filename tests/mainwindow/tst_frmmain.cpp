#include "files/PortraitFiles.h"
#include "files/PortraitRecovery.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <malloc.h>
#include <sys/mount.h>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
#define PICTORIA_HEAP_FROM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PICTORIA_HEAP_FROM_ASAN 1
#endif
#endif
#ifdef PICTORIA_HEAP_FROM_ASAN
#include <sanitizer/allocator_interface.h>
#endif

class FrmMainTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    // First: FreeImage stays out of this process until something here needs it.
    void freeImageWaitsForItsFirstUse();
    void windowFrame();
    void toolbarButtons_data();
    void toolbarButtons();
    void toolbarStartState();
    void statusPanels();
    void framesAndControls_data();
    void framesAndControls();
    void controlsStartInDesignState();
    void stateStartsAtItsValues();
    void viewShowsBlackPortraitUnderGrid();
    void restoreRunsLayoutAgainAndKeepsState();
    void layoutWithGridReleasedDoesNotOverlay();
    void pointerOffTheViewRemovesOverlay_data();
    void pointerOffTheViewRemovesOverlay();
    void zoomStepsAndTheWindowFollows_data();
    void zoomStepsAndTheWindowFollows();
    void closeAsksOnlyWithUnsavedChanges_data();
    void closeAsksOnlyWithUnsavedChanges();
    void memoryHoldsStillOnceTheHistoryIsFull();
    void recoveryThatCannotBeWrittenIsSaidOnce_data();
    void recoveryThatCannotBeWrittenIsSaidOnce();
    void manyCopiesLeftBehindMakeOneQuestion();

private:
    // Points the recovery folder into a scratch home for the rest of the test, and opens
    // a new window that uses it.
    QString useScratchHome(const QTemporaryDir& home);
    QByteArray m_dataHome, m_stateHome;
};

namespace {

// Bytes the process holds on the heap now.
qint64 heapInUse()
{
#ifdef PICTORIA_HEAP_FROM_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}

} // namespace

void FrmMainTest::init()
{
    QVERIFY(openWindow());
}

void FrmMainTest::cleanup()
{
    window.reset();
    if (!m_dataHome.isEmpty()) {
        qputenv("XDG_DATA_HOME", m_dataHome);
        qputenv("XDG_STATE_HOME", m_stateHome);
        m_dataHome.clear();
    }
}

QString FrmMainTest::useScratchHome(const QTemporaryDir& home)
{
    window.reset();
    m_dataHome = qgetenv("XDG_DATA_HOME");
    m_stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath("state")));
    return PortraitRecovery::defaultFolder();
}

namespace {

bool freeImageMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libfreeimage");
}

} // namespace

// The window starts, and saves and opens a JPEG portrait, without FreeImage; the import
// dialog's format list loads it. (Runs before anything else in this process uses it.)
void FrmMainTest::freeImageWaitsForItsFirstUse()
{
    QVERIFY(!freeImageMapped());
    const QString path = TestSupport::tempPath(QStringLiteral("waits.jpg"));
    dialogs->fileAnswers.enqueue(path);
    QVERIFY(window->files().SavePortrait());
    window->files().openFile(path);
    QCOMPARE(window->files().portraitFile(), path);
    QVERIFY(!freeImageMapped());
    window->ImportBitmap(); // no answer scripted: cancelled
    QCOMPARE(dialogs->fileRequests.size(), 2);
    QVERIFY(dialogs->fileRequests[1].filter.contains(QStringLiteral("*.pcx;*.PCX")));
    QVERIFY(freeImageMapped());
}

void FrmMainTest::windowFrame()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Pictoria"));
    // The original 520 grown at the bottom edge by the "Portrait" frame (45) and a gap.
    QCOMPARE(window->size(), QSize(640, 613));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(QRect(window->picFaceBox()->mapTo(window.get(), QPoint(0, 0)), window->picFaceBox()->size()),
             QRect(248, 28, 388, 452));
    QCOMPARE(window->viewScroller()->geometry(), QRect(248, 28, 388, 452));
    QCOMPARE(window->picFaceBox()->mapTo(window.get(), window->picFaceBox()->clientOrigin()),
             QPoint(250, 30));
    QCOMPARE(window->lblVersion()->geometry(), QRect(248, 484, 385, 13));
    QCOMPARE(window->stbMain()->geometry(), QRect(0, 597, 640, 16));
    QCOMPARE(window->tlbMain()->geometry(), QRect(0, 0, 640, 22));
}

void FrmMainTest::toolbarButtons_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<int>("left");
    // Buttons are 23 wide, separators 8, laid from x = 0.
    const struct {
        const char* tag;
        const char* tip;
    } rows[] = {{"New", "New Portrait"},      {"Open", "Open Portrait"}, {"Save", "Save Portrait"},
                {"Import", "Import Bitmap"},  {nullptr, nullptr},        {"Brush", "Brush Tool"},
                {"Selector", "Grab Color"},   {"Fill", "Fill Tool"},     {"Replace", "Replace Colors"},
                {"Gamma", "Adjust Gamma"},    {"Grid", "Toggle Grid"},   {nullptr, nullptr},
                {"About", "About Pictoria.."}};
    int x = 0;
    for (int i = 0; i < 13; ++i) {
        if (rows[i].tag)
            QTest::newRow(rows[i].tag) << i + 1 << QString(rows[i].tag) << QString(rows[i].tip) << x;
        x += rows[i].tag ? 23 : 8;
    }
}

void FrmMainTest::toolbarButtons()
{
    QFETCH(int, index);
    QFETCH(QString, tag);
    QFETCH(QString, tooltip);
    QFETCH(int, left);
    MainToolBar* bar = window->tlbMain();
    QCOMPARE(bar->buttonCount(), 13);
    QAction* action = bar->button(index);
    QVERIFY(action);
    QCOMPARE(bar->tagOf(action), tag);
    QCOMPARE(action->toolTip(), tooltip);
    QVERIFY2(!action->icon().isNull(), "every button shows an image");
    QCOMPARE(action->icon().availableSizes().value(0), QSize(16, 16));
    QWidget* button = bar->widgetForAction(action);
    QCOMPARE(button->geometry(), QRect(left, 0, 23, 22));
}

void FrmMainTest::toolbarStartState()
{
    MainToolBar* bar = window->tlbMain();
    QVERIFY(bar->button(5)->isSeparator());
    QVERIFY(bar->button(12)->isSeparator());
    QVERIFY(bar->buttonByTag("Brush")->isChecked());
    QVERIFY(bar->buttonByTag("Grid")->isChecked());
    QVERIFY(bar->gridPressed());
    for (const char* tool : {"Selector", "Fill", "Replace", "Gamma"})
        QVERIFY(!bar->buttonByTag(tool)->isChecked());
    QVERIFY(!bar->buttonByTag("New")->isCheckable());
}

void FrmMainTest::statusPanels()
{
    StatusBar* bar = window->stbMain();
    QCOMPARE(bar->panelCount(), 3);
    const int lefts[] = {0, 420, 540};
    const int widths[] = {420, 120, 96};
    const char* texts[] = {"Ready.", "RGB(0,0,0)", "(0, 0)"};
    for (int i = 1; i <= 3; ++i) {
        QWidget* panel = bar->panelWidget(i);
        QCOMPARE(bar->panelText(i), QString(texts[i - 1]));
        QCOMPARE(panel->toolTip(), QString(texts[i - 1]));
        // Edge to edge from the window's left side, as tall as the bar.
        QCOMPARE(QRect(panel->mapTo(window.get(), QPoint(0, 0)), panel->size()),
                 QRect(lefts[i - 1], frmMain::ClientHeight - 16, widths[i - 1], 16));
        // The whole initial text fits inside the panel's frame, descenders included.
        const auto labels = panel->findChildren<QLabel*>();
        auto it =
            std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == texts[i - 1]; });
        QVERIFY(it != labels.end());
        const QLabel* label = *it;
        const QRect textBox = label->fontMetrics().boundingRect(label->text());
        QVERIFY2(label->contentsRect().height() >= label->fontMetrics().height(), texts[i - 1]);
        QVERIFY2(label->contentsRect().width() >= textBox.width(), texts[i - 1]);
        const QRect inFrame(label->mapTo(panel, QPoint(0, 0)), label->size());
        QVERIFY2(static_cast<QFrame*>(panel)->contentsRect().contains(inFrame), texts[i - 1]);
    }
}

void FrmMainTest::framesAndControls_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("colours") << "Foreground / Background Colors" << QRect(4, 24, 237, 101);
    QTest::newRow("replace") << "Replace Colors" << QRect(4, 128, 237, 101);
    QTest::newRow("gamma") << "Gamma Adjustment" << QRect(4, 232, 237, 45);
    QTest::newRow("output") << "Image Output" << QRect(4, 280, 237, 105);
    QTest::newRow("options") << "Misc. Options" << QRect(4, 388, 237, 109);
    QTest::newRow("portrait") << "Portrait" << QRect(4, 500, 632, 90);
}

void FrmMainTest::framesAndControls()
{
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    const auto frames = window->findChildren<QGroupBox*>();
    auto it = std::find_if(frames.begin(), frames.end(), [&](QGroupBox* f) { return f->title() == caption; });
    QVERIFY(it != frames.end());
    QCOMPARE((*it)->geometry(), geometry);
}

void FrmMainTest::controlsStartInDesignState()
{
    ControlPanel& p = window->panel();
    QCOMPARE(p.picFG->fill(), RGBColour(255, 255, 255));
    QCOMPARE(p.picBG->fill(), Colour(0));
    QCOMPARE(p.picR1->fill(), RGBColour(255, 255, 255));
    QCOMPARE(p.picR2->fill(), Colour(0));
    QCOMPARE(p.picFG->size(), QSize(49, 49));
    QCOMPARE(p.picBG->pos() - p.picFG->pos(), QPoint(28, 28));
    QCOMPARE(p.chkUseFGBG->text(), QStringLiteral("Use FG/BG Colors"));
    QVERIFY(!p.chkUseFGBG->isChecked());
    QCOMPARE(p.txtGamma->text(), QStringLiteral("15"));
    QVERIFY(!p.txtGamma->isEnabled());
    QVERIFY(!p.lblGamma->isEnabled());
    QVERIFY(!p.lblGammaNote->isEnabled());
    QCOMPARE(p.txtGamma->maxLength(), 3);
    QCOMPARE(p.txtRLevel->text(), QStringLiteral("80"));
    QCOMPARE(p.txtRLevel->maxLength(), 3);
    QVERIFY(p.optPerfect->isChecked());
    QCOMPARE(p.optPerfect->text(), QStringLiteral("Perfect  (100%)"));
    QCOMPARE(p.optHigh->text(), QStringLiteral("High       (85%)"));
    QCOMPARE(p.optMed->text(), QStringLiteral("Medium  (70%)"));
    QCOMPARE(p.optLow->text(), QStringLiteral("Low         (55%)"));
    QVERIFY(p.optRGBA->isChecked());
    QVERIFY(!p.optRGBS->isChecked());
    QVERIFY(!p.optRGBN->isChecked());
    QCOMPARE(p.picPreview->size(), QSize(52, 60));
    QVERIFY(!p.lblQuality->isEnabled());
    QVERIFY(!p.lblPreview->isEnabled());
}

void FrmMainTest::stateStartsAtItsValues()
{
    const EditingState& s = window->state();
    QCOMPARE(s.FGColor, Colour(0x00FFFFFF));
    QCOMPARE(s.BGColor, Colour(0));
    QCOMPARE(s.R1Color, Colour(0x00FFFFFF));
    QCOMPARE(s.R2Color, Colour(0));
    QCOMPARE(int(s.GammaStep), 15);
    QCOMPARE(s.CurrentTool, QStringLiteral("Brush"));
    QCOMPARE(s.OutputQuality, 100);
    QCOMPARE(int(s.PopupAlpha), 204);
    QCOMPARE(window->Version(), QStringLiteral("Version 1.1a"));
    QCOMPARE(window->lblVersion()->text(), QStringLiteral("Version 1.1a"));
}

void FrmMainTest::viewShowsBlackPortraitUnderGrid()
{
    const QImage shown = window->picFaceBox()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(fromQRgb(shown.pixel(2 + 0, 2 + 0)), PortraitCanvas::GridLineColour);
    QCOMPARE(fromQRgb(shown.pixel(2 + 3, 2 + 3)), Colour(0));
    QCOMPARE(fromQRgb(shown.pixel(2 + 383, 2 + 447)), Colour(0));
    QCOMPARE(fromQRgb(shown.pixel(2 + 376, 2 + 447)), PortraitCanvas::GridLineColour);
}

void FrmMainTest::restoreRunsLayoutAgainAndKeepsState()
{
    const int before = window->layoutPasses();
    window->state().FGColor = RGBColour(1, 2, 3);
    window->state().CurrentTool = "Gamma";
    window->state().GammaStep = 40;
    // A grid left blank: only another layout pass draws it again.
    window->canvas().picGrid().clear();
    window->showMinimized();
    window->showNormal();
    QTRY_VERIFY(window->layoutPasses() > before);
    QCOMPARE(window->state().FGColor, RGBColour(1, 2, 3));
    QCOMPARE(window->state().CurrentTool, QStringLiteral("Gamma"));
    QCOMPARE(int(window->state().GammaStep), 40);
    QCOMPARE(window->canvas().picGrid().pixel(8, 0), PortraitCanvas::GridLineColour);
}

void FrmMainTest::layoutWithGridReleasedDoesNotOverlay()
{
    window->tlbMain()->buttonByTag("Grid")->setChecked(false);
    QCoreApplication::processEvents();
    window->picFaceBox()->resetPaintStats();
    window->Form_Resize();
    QCOMPARE(window->canvas().picFace().pixel(0, 0), Colour(0));
    // Nothing is laid over the view: it is not repainted.
    QCoreApplication::processEvents();
    QCOMPARE(window->picFaceBox()->paintEvents(), 0);
}

void FrmMainTest::pointerOffTheViewRemovesOverlay_data()
{
    // Where the pointer goes from the view, in window coordinates.
    QTest::addColumn<QPoint>("to");
    QTest::newRow("the window's background, between the panel and the view") << QPoint(245, 300);
    QTest::newRow("the toolbar, on its way to a command") << QPoint(60, 11);
}

void FrmMainTest::pointerOffTheViewRemovesOverlay()
{
    QFETCH(QPoint, to);
    PictureBox* view = window->picFaceBox();
    QTest::mouseMove(view, view->clientOrigin() + QPoint(100, 50));
    const QRect popup = window->canvas().popupRect();
    QCOMPARE(popup, QRect(108, 58, 88, 21));
    QCoreApplication::processEvents();
    // The real event path: the popup is taken off and just where it was is repainted; a
    // second move there repaints nothing.
    for (const QRect& repainted : {popup, QRect()}) {
        view->resetPaintStats();
        QTest::mouseMove(window.get(), to);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(view->paintedRegion(), QRegion(repainted.translated(view->clientOrigin())));
        QVERIFY(window->canvas().popupRect().isEmpty());
        QCOMPARE(window->canvas().picFace().pixel(109, 59), Colour(0));
        QCOMPARE(window->canvas().picFace().pixel(104, 56), PortraitCanvas::GridLineColour);
    }
    // Ctrl, as for Ctrl+S, reaches the view, which keeps the keyboard: the pointer is not there,
    // so no popup comes back to stay on the view behind the command's dialog.
    QTest::keyPress(view, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyRelease(view, Qt::Key_Control);
    QVERIFY(window->canvas().popupRect().isEmpty());
    QCOMPARE(window->canvas().picFace().pixel(109, 59), Colour(0));
}

void FrmMainTest::zoomStepsAndTheWindowFollows_data()
{
    // On the test platform's 800 x 800 screen, with a 2-pixel window frame. "+" and "-" are Ctrl+Plus and
    // Ctrl+Minus, "up" and "down" a notch of the wheel over the view with Ctrl held.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("shown"); // the view's place in the window
    QTest::newRow("Ctrl+Minus: 6") << "-" << 6 << QSize(640, 613) << QSize(292, 340);
    QTest::newRow("twice: 4") << "- -" << 4 << QSize(640, 613) << QSize(196, 228);
    QTest::newRow("4 is the least") << "- - -" << 4 << QSize(640, 613) << QSize(196, 228);
    QTest::newRow("and back to 8") << "- - - + +" << 8 << QSize(640, 613) << QSize(388, 452);
    QTest::newRow("Ctrl+Plus: 12, scrolled in a screen-sized window")
        << "+" << 12 << QSize(796, 796) << QSize(544, 635);
    QTest::newRow("16 is the most") << "+ + +" << 16 << QSize(796, 796) << QSize(544, 635);
    QTest::newRow("Ctrl+wheel up") << "up" << 12 << QSize(796, 796) << QSize(544, 635);
    QTest::newRow("Ctrl+wheel down") << "down" << 6 << QSize(640, 613) << QSize(292, 340);
}

void FrmMainTest::zoomStepsAndTheWindowFollows()
{
    QFETCH(QString, steps);
    QFETCH(int, zoom);
    QFETCH(QSize, client);
    QFETCH(QSize, shown);
    QCOMPARE(window->screen()->availableGeometry().size(), QSize(800, 800));
    PictureBox* view = window->picFaceBox();
    for (const QString& step : steps.split(' ')) {
        if (step == QLatin1String("+") || step == QLatin1String("-")) {
            QTest::keyClick(window.get(), step == QLatin1String("+") ? Qt::Key_Plus : Qt::Key_Minus,
                            Qt::ControlModifier);
        } else {
            const QPoint at = view->clientOrigin() + QPoint(40, 40);
            QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(),
                              QPoint(0, step == QLatin1String("up") ? 120 : -120), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &wheel);
        }
    }
    QCOMPARE(window->canvas().zoom(), zoom);
    QCOMPARE(window->size(), client);
    QCOMPARE(window->viewScroller()->geometry(), QRect(QPoint(248, 28), shown));
    QCOMPARE(view->clientSize(), QSize(48 * zoom, 56 * zoom));
    // The other controls keep their places; those below the view move down with it.
    QCOMPARE(window->viewScroller()->mapTo(window.get(), QPoint(2, 2)), QPoint(250, 30));
    const int down = client.height() - frmMain::ClientHeight;
    QCOMPARE(window->lblVersion()->y(), 484 + down);
    QCOMPARE(window->stbMain()->geometry(), QRect(0, client.height() - 16, client.width(), 16));
    QCOMPARE(window->panel().framePortrait->pos(), QPoint(4, 500 + down));
    // Painting, the readout and the grid at that zoom.
    const QPoint cell(3, 4);
    QTest::mouseClick(view, Qt::LeftButton, {},
                      view->clientOrigin() + cell * zoom + QPoint(zoom - 1, zoom - 1));
    QCOMPARE(window->document().picPreview().pixel(3, 4), RGBColour(255, 255, 255));
    QCOMPARE(window->document().picPreview().pixel(4, 4), Colour(0));
    QCOMPARE(window->stbMain()->panelText(3), QStringLiteral("(3, 4)"));
    QCOMPARE(window->stbMain()->panelText(2), QStringLiteral("RGB(255,255,255)"));
    const Surface& face = window->canvas().picFace();
    QCOMPARE(face.pixel(3 * zoom + 1, 4 * zoom + 1), RGBColour(255, 255, 255));
    QCOMPARE(face.pixel(3 * zoom, 4 * zoom + 1), PortraitCanvas::GridLineColour);
    QCOMPARE(face.pixel(4 * zoom - 1, 4 * zoom + 1), RGBColour(255, 255, 255));
    QCOMPARE(face.pixel(4 * zoom + 1, 4 * zoom + 1), Colour(0));
}

void FrmMainTest::closeAsksOnlyWithUnsavedChanges_data()
{
    // steps: "stroke" paints cell (0, 0), "undo", "open" a 48 x 56 picture, "save" to a
    // file, "new"; then the window is closed with the question answered as given.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<MessageResult>>("answers");
    QTest::addColumn<QString>("saveAs"); // the Save dialog's answer, when it comes
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");

    const QString save = TestSupport::tempPath("closing.jpg");
    const QString missing = TestSupport::tempPath("no/such/folder/closing.jpg");
    using R = MessageResult;
    QTest::newRow("untouched") << QStringList{} << QList<R>{} << QString() << false << true << false;
    QTest::newRow("stroke, Cancel") << QStringList{"stroke"} << QList<R>{R::Cancel} << QString() << true
                                    << false << false;
    QTest::newRow("stroke, Discard") << QStringList{"stroke"} << QList<R>{R::Discard} << QString() << true
                                     << true << false;
    QTest::newRow("stroke, Save") << QStringList{"stroke"} << QList<R>{R::Save} << save << true << true
                                  << true;
    QTest::newRow("stroke, Save cancelled")
        << QStringList{"stroke"} << QList<R>{R::Save} << QString() << true << false << false;
    QTest::newRow("stroke, Save fails")
        << QStringList{"stroke"} << QList<R>{R::Save, R::Ok} << missing << true << false << false;
    QTest::newRow("stroke undone") << QStringList{"stroke", "undo"} << QList<R>{} << QString() << false
                                   << true << false;
    QTest::newRow("stroke saved") << QStringList{"stroke", "save"} << QList<R>{} << QString() << false << true
                                  << false;
    QTest::newRow("opened") << QStringList{"stroke", "open"} << QList<R>{} << QString() << false << true
                            << false;
    QTest::newRow("open undone") << QStringList{"open", "undo"} << QList<R>{R::Discard} << QString() << true
                                 << true << false;
    QTest::newRow("new after a stroke")
        << QStringList{"stroke", "new"} << QList<R>{} << QString() << false << true << false;
    QTest::newRow("stroke after saving")
        << QStringList{"save", "stroke"} << QList<R>{R::Cancel} << QString() << true << false << false;
}

void FrmMainTest::closeAsksOnlyWithUnsavedChanges()
{
    QFETCH(QStringList, steps);
    QFETCH(QList<MessageResult>, answers);
    QFETCH(QString, saveAs);
    QFETCH(bool, asked);
    QFETCH(bool, closed);
    QFETCH(bool, written);

    const QString picture = TestSupport::tempPath("closing-open.png");
    QVERIFY(TestSupport::patternImage(48, 56).save(picture));
    QFile::remove(saveAs);
    for (const QString& step : steps) {
        if (step == "stroke") {
            window->picFace_MouseDown(1, 0, 4, 4);
            window->picFace_MouseUp(1, 0, 4, 4);
        } else if (step == "undo") {
            window->document().history().undo();
        } else if (step == "open") {
            window->files().openFile(picture);
        } else if (step == "save") {
            dialogs->fileAnswers << TestSupport::tempPath("closing-step.jpg");
            QVERIFY(window->files().SavePortrait());
        } else if (step == "new") {
            window->NewPortrait();
        }
    }
    dialogs->messages.clear();
    dialogs->messageAnswers.append(answers);
    if (!saveAs.isEmpty())
        dialogs->fileAnswers << saveAs;

    QCOMPARE(window->close(), closed);
    QCOMPARE(window->isVisible(), !closed);
    QCOMPARE(!dialogs->messages.isEmpty(), asked);
    if (asked) {
        const ScriptedDialogs::Message& question = dialogs->messages.constFirst();
        QCOMPARE(question.text, QStringLiteral("Save changes to the portrait before closing?"));
        QCOMPARE(question.buttons, MessageButtons::SaveDiscardCancel);
    }
    QCOMPARE(dialogs->messages.size(), answers.size());
    if (!saveAs.isEmpty())
        QCOMPARE(QFileInfo::exists(saveAs), written);
}

// Once the history holds its thousand steps, a change costs no memory: the oldest step
// goes as the newest comes, and nothing else keeps a copy per change (the colour swatch
// of every position painted over, say).
void FrmMainTest::memoryHoldsStillOnceTheHistoryIsFull()
{
    int n = 0;
    auto click = [&] {
        // A new colour on another cell each time, as painting a portrait goes.
        window->state().FGColor = RGBColour(n % 256, (n / 256) % 256, 77);
        const float x = float(8 * (n % 48) + 4), y = float(8 * ((n / 48) % 56) + 4);
        window->picFace_MouseDown(1, 0, x, y);
        window->picFace_MouseUp(1, 0, x, y);
        ++n;
    };
    while (n < PortraitDocument::HistoryLimit + 100)
        click();
    QCoreApplication::processEvents();
    QCOMPARE(window->document().history().count(), PortraitDocument::HistoryLimit);
    const qint64 before = heapInUse();
    constexpr int Changes = 2000;
    for (int i = 0; i < Changes; ++i)
        click();
    QCoreApplication::processEvents();
    const qint64 perChange = (heapInUse() - before) / Changes;
    QVERIFY2(perChange < 100, qPrintable(QStringLiteral("%1 bytes kept per change").arg(perChange)));
}

void FrmMainTest::recoveryThatCannotBeWrittenIsSaidOnce_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::newRow("the folder's place is taken by a file") << "file";
    QTest::newRow("a read-only folder") << "read-only";
    QTest::newRow("a full disk") << "full";
}

void FrmMainTest::recoveryThatCannotBeWrittenIsSaidOnce()
{
    QFETCH(QString, trouble);
    QTemporaryDir home;
    const QString folder = useScratchHome(home);
    const QByteArray where = QFile::encodeName(folder);
    if (trouble == "file") {
        QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
        QFile taken(folder);
        QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("not a folder") > 0);
    } else if (trouble == "read-only") {
        if (::geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    } else {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QVERIFY(QDir().mkpath(folder));
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("cannot mount a tmpfs here");
        QFile filler(folder + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(1024, 'x')) == 1024) {
        }
    }
    auto unmount = qScopeGuard([&] {
        if (trouble == "full")
            ::umount2(where.constData(), MNT_DETACH);
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    QVERIFY(openWindow());

    window->picFace_MouseDown(1, 0, 4, 4);
    window->picFace_MouseUp(1, 0, 4, 4);
    window->recovery().writeNow(); // as the timer would, within a second
    const QString said = window->stbMain()->panelText(1);
    QVERIFY2(said.startsWith("No recovery copy could be written: "), qPrintable(said));
    QVERIFY2(said.size() > 40, qPrintable(said)); // and why

    // Said once: later copies that fail too leave the status bar to the other commands.
    window->stbMain()->setPanelText(1, "Ready.");
    window->picFace_MouseDown(1, 0, 12, 4);
    window->picFace_MouseUp(1, 0, 12, 4);
    window->recovery().writeNow();
    QCOMPARE(window->stbMain()->panelText(1), QStringLiteral("Ready."));
}

void FrmMainTest::manyCopiesLeftBehindMakeOneQuestion()
{
    QTemporaryDir home;
    const QString folder = useScratchHome(home);
    QVERIFY(QDir().mkpath(folder));
    for (int i = 0; i < 30; ++i) {
        QImage portrait(48, 56, QImage::Format_RGB32);
        portrait.fill(qRgb(i, 0, 0));
        QImageWriter writer(QStringLiteral("%1/%2-00000000000%3.png").arg(folder).arg(1000 + i).arg(i % 10),
                            "png");
        writer.setText("Source", QStringLiteral("/faces/face%1.jpg").arg(i));
        QVERIFY(writer.write(portrait));
    }
    QVERIFY(openWindow());
    dialogs->messageAnswers << MessageResult::Discard;
    window->offerRecovery();
    QCOMPARE(dialogs->messages.size(), 1);
    const QString question = dialogs->messages[0].text;
    for (int i = 0; i < 30; ++i)
        QVERIFY2(question.contains(QStringLiteral("/faces/face%1.jpg\r\n").arg(i)), qPrintable(question));
    // Discard, asked once, deletes every copy.
    QCOMPARE(QDir(folder).entryList({"*.png"}, QDir::Files), QStringList());
}

QTEST_MAIN(FrmMainTest)
#include "tst_frmmain.moc"
