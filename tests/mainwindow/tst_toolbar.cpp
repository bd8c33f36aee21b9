#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class ToolbarTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void toolButtonsSetTheTool_data();
    void toolButtonsSetTheTool();
    void otherButtonsLeaveTheToolsControls_data();
    void otherButtonsLeaveTheToolsControls();
    void tagsMatchCaseSensitively();
    void gridToggle();
    void realClicksGoThroughTheToolbar();
    void aboutOpensModallyOverTheWindow();
    void shortcutsReachTheToolbarHandler_data();
    void shortcutsReachTheToolbarHandler();
    void undoAndRedoKeys();

private:
    // Modal windows (About) block the handler until closed; close them from the loop.
    static void closeModalSoon()
    {
        QTimer::singleShot(50, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
    }
    bool eyedropper() const { return window->picFaceBox()->cursor().shape() == Qt::BitmapCursor; }
};

void ToolbarTest::init()
{
    QVERIFY(openWindow());
}

void ToolbarTest::toolButtonsSetTheTool_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("eyedropper");
    QTest::addColumn<bool>("gammaEnabled");
    QTest::newRow("Brush") << "Brush" << false << false;
    QTest::newRow("Selector") << "Selector" << true << false;
    QTest::newRow("Fill") << "Fill" << false << false;
    QTest::newRow("Replace") << "Replace" << false << false;
    QTest::newRow("Gamma") << "Gamma" << false << true;
}

void ToolbarTest::toolButtonsSetTheTool()
{
    QFETCH(QString, tag);
    QFETCH(bool, eyedropper);
    QFETCH(bool, gammaEnabled);
    // Twice: clicking the pressed tool again re-applies its pointer and box state.
    for (int i = 0; i < 2; ++i) {
        window->tlbMain_ButtonClick(tag);
        QCOMPARE(window->state().CurrentTool, tag);
        QCOMPARE(this->eyedropper(), eyedropper);
        QCOMPARE(window->panel().txtGamma->isEnabled(), gammaEnabled);
        QCOMPARE(window->panel().lblGamma->isEnabled(), gammaEnabled);
    }
}

void ToolbarTest::otherButtonsLeaveTheToolsControls_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("tag");
    for (const char* tool : {"Gamma", "Selector"})
        for (const char* tag : {"Grid", "New", "Open", "Save", "Import", "About", "nothing"})
            QTest::addRow("%s, then %s", tool, tag) << QString(tool) << QString(tag);
}

void ToolbarTest::otherButtonsLeaveTheToolsControls()
{
    QFETCH(QString, tool);
    QFETCH(QString, tag);
    // Pressed on the real toolbar; the scripted dialogs cancel Open, Save and Import.
    MainToolBar* bar = window->tlbMain();
    auto press = [bar](const QString& t) {
        if (QAction* button = bar->buttonByTag(t))
            QTest::mouseClick(bar->widgetForAction(button), Qt::LeftButton);
        else
            emit bar->buttonClick(t);
    };
    window->document().setCell(2, 2, RGBColour(1, 2, 3));
    press(tool);
    if (tag == "About")
        closeModalSoon();
    press(tag);

    QCOMPARE(window->state().CurrentTool, tool);
    QCOMPARE(eyedropper(), tool == "Selector");
    QCOMPARE(window->panel().txtGamma->isEnabled(), tool == "Gamma");
    QCOMPARE(window->panel().lblGamma->isEnabled(), tool == "Gamma");
    // And the tool still works as itself (New cleared the cell to black).
    window->picFace_MouseDown(1, 0, 20, 20);
    window->picFace_MouseUp(1, 0, 20, 20);
    const int was = tag == "New" ? 0 : 1;
    if (tool == "Selector")
        QCOMPARE(window->state().FGColor, RGBColour(was, 2 * was, 3 * was));
    else
        QCOMPARE(window->document().picPreview().pixel(2, 2),
                 RGBColour(was + 15, 2 * was + 15, 3 * was + 15));
}

void ToolbarTest::tagsMatchCaseSensitively()
{
    window->tlbMain_ButtonClick("selector");
    window->tlbMain_ButtonClick("GAMMA");
    QCOMPARE(window->state().CurrentTool, QStringLiteral("Brush"));
    QVERIFY(!eyedropper());
}

void ToolbarTest::gridToggle()
{
    QAction* grid = window->tlbMain()->buttonByTag("Grid");
    auto* button = qobject_cast<QToolButton*>(window->tlbMain()->widgetForAction(grid));
    QVERIFY(button);
    QCOMPARE(window->canvas().picFace().pixel(8, 8), PortraitCanvas::GridLineColour);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!grid->isChecked());
    QCOMPARE(window->canvas().picFace().pixel(8, 8), Colour(0));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(grid->isChecked());
    QCOMPARE(window->canvas().picFace().pixel(8, 8), PortraitCanvas::GridLineColour);
}

void ToolbarTest::realClicksGoThroughTheToolbar()
{
    MainToolBar* bar = window->tlbMain();
    auto clickTool = [&](const char* tag) {
        QTest::mouseClick(bar->widgetForAction(bar->buttonByTag(tag)), Qt::LeftButton);
    };
    clickTool("Replace");
    QCOMPARE(window->state().CurrentTool, QStringLiteral("Replace"));
    QVERIFY(bar->buttonByTag("Replace")->isChecked());
    QVERIFY(!bar->buttonByTag("Brush")->isChecked());
    clickTool("Gamma");
    QVERIFY(window->panel().txtGamma->isEnabled());
    clickTool("Brush");
    QVERIFY(!window->panel().txtGamma->isEnabled());
    QCOMPARE(window->state().CurrentTool, QStringLiteral("Brush"));
}

void ToolbarTest::aboutOpensModallyOverTheWindow()
{
    QString title;
    QWidget* owner = nullptr;
    QTimer::singleShot(50, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        title = modal->windowTitle();
        owner = modal->parentWidget();
        modal->close();
    });
    window->tlbMain_ButtonClick("About");
    QCOMPARE(title, QStringLiteral("About Pictoria"));
    QCOMPARE(owner, window.get());
}

void ToolbarTest::shortcutsReachTheToolbarHandler_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("tag");
    QTest::newRow("Ctrl+N") << QKeySequence("Ctrl+N") << "New";
    QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << "Open";
    QTest::newRow("Ctrl+I") << QKeySequence("Ctrl+I") << "Import";
    QTest::newRow("B") << QKeySequence("B") << "Brush";
    QTest::newRow("I") << QKeySequence("I") << "Selector";
    QTest::newRow("F") << QKeySequence("F") << "Fill";
    QTest::newRow("R") << QKeySequence("R") << "Replace";
    QTest::newRow("G") << QKeySequence("G") << "Gamma";
    QTest::newRow("Ctrl+G") << QKeySequence("Ctrl+G") << "Grid";
}

void ToolbarTest::shortcutsReachTheToolbarHandler()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, tag);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->picFaceBox()->setFocus();
    QSignalSpy clicks(window->tlbMain(), &MainToolBar::buttonClick);
    // The file commands would open dialogs: the scripted double cancels them.
    QTest::keySequence(window.get(), keys);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toString(), tag);
    QAction* button = window->tlbMain()->buttonByTag(tag);
    if (button->isCheckable() && tag != "Grid") {
        QVERIFY(button->isChecked());
        QCOMPARE(window->state().CurrentTool, tag);
    }
    if (tag == "Grid")
        QVERIFY(!button->isChecked());
}

void ToolbarTest::undoAndRedoKeys()
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->picFace_MouseDown(1, 0, 4, 4);
    window->picFace_MouseUp(1, 0, 4, 4);
    QCOMPARE(window->document().picPreview().pixel(0, 0), RGBColour(255, 255, 255));
    QTest::keySequence(window.get(), QKeySequence("Ctrl+Z"));
    QCOMPARE(window->document().picPreview().pixel(0, 0), Colour(0));
    QTest::keySequence(window.get(), QKeySequence("Ctrl+Y"));
    QCOMPARE(window->document().picPreview().pixel(0, 0), RGBColour(255, 255, 255));
    QTest::keySequence(window.get(), QKeySequence("Ctrl+Z"));
    QTest::keySequence(window.get(), QKeySequence("Ctrl+Shift+Z"));
    QCOMPARE(window->document().picPreview().pixel(0, 0), RGBColour(255, 255, 255));
    QCOMPARE(window->canvas().picFace().pixel(3, 3), RGBColour(255, 255, 255));
}

QTEST_MAIN(ToolbarTest)
#include "tst_toolbar.moc"
