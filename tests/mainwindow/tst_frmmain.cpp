#include "files/PortraitFiles.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

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
    void backgroundMoveRemovesOverlay();
    void closeAsksOnlyWithUnsavedChanges_data();
    void closeAsksOnlyWithUnsavedChanges();
};

void FrmMainTest::init()
{
    QVERIFY(openWindow());
}

void FrmMainTest::cleanup()
{
    window.reset();
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
    QCOMPARE(window->size(), QSize(640, 591));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->picFaceBox()->geometry(), QRect(248, 28, 388, 452));
    QCOMPARE(window->picFaceBox()->mapTo(window.get(), window->picFaceBox()->clientOrigin()),
             QPoint(250, 30));
    QCOMPARE(window->lblVersion()->geometry(), QRect(248, 484, 385, 13));
    QCOMPARE(window->stbMain()->geometry(), QRect(0, 575, 640, 16));
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
    QTest::newRow("portrait") << "Portrait" << QRect(4, 500, 632, 68);
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
    window->canvas().clearView();
    window->Form_Resize();
    QCOMPARE(window->canvas().picFace().pixel(0, 0), Colour(0));
    window->canvas().picFace().fillRect(QRect(0, 0, 1, 1), RGBColour(9, 9, 9));
    window->Form_Resize();
    QCOMPARE(window->canvas().picFace().pixel(0, 0), RGBColour(9, 9, 9));
}

void FrmMainTest::backgroundMoveRemovesOverlay()
{
    window->canvas().picFace().fillRect(QRect(100, 50, 88, 21), RGBColour(255, 255, 255));
    // The real event path: a move over the window's own background, between the panel and the view.
    QTest::mouseMove(window.get(), QPoint(245, 300));
    QTRY_COMPARE(window->canvas().picFace().pixel(101, 51), Colour(0));
    QCOMPARE(window->canvas().picFace().pixel(104, 56), PortraitCanvas::GridLineColour);
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
            window->canvas().history().undo();
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

QTEST_MAIN(FrmMainTest)
#include "tst_frmmain.moc"
