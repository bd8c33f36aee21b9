#include "document/EditingState.h"
#include "files/PortraitFiles.h"
#include "import/ImportCommand.h"
#include "import/frmImport.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ColourWellsAndOptions.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "support/MainWindowFixture.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

// The options outlive the window: what one editor was left with, the next starts
// with. With PICTORIA_NO_SETTINGS=1, or when the stored values cannot be used, the
// start values hold. The test runs in its own config folder (see tests/CMakeLists.txt).
class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void optionsSurviveARestart();
    void noSettingsStartsFromStartValuesAndWritesNothing_data();
    void noSettingsStartsFromStartValuesAndWritesNothing();
    void unusableValuesLeaveStartValues_data();
    void unusableValuesLeaveStartValues();

private:
    std::unique_ptr<frmMain> startWindow()
    {
        auto window = std::make_unique<frmMain>(dialogs);
        window->show();
        return window;
    }
    // Every option away from its start value, the way a user sets them.
    void changeEverything(frmMain& w, const QString& openedFolder);
    static QString settingsFile()
    {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, "Pictoria", "Pictoria").fileName();
    }
    static void verifyStartValues(frmMain& w);

    std::shared_ptr<ScriptedDialogs> dialogs;
};

void SettingsTest::init()
{
    qunsetenv("PICTORIA_NO_SETTINGS");
    QFile::remove(settingsFile());
    QDir(settingsFile()).removeRecursively();
    dialogs = std::make_shared<ScriptedDialogs>();
}

void SettingsTest::cleanup()
{
    QFile::remove(settingsFile());
    QDir(settingsFile()).removeRecursively();
}

void SettingsTest::changeEverything(frmMain& w, const QString& openedFolder)
{
    dialogs->colourAnswers << RGBColour(10, 20, 30) << RGBColour(40, 50, 60) << RGBColour(70, 80, 90)
                           << RGBColour(100, 110, 120);
    w.options().picFG_DblClick();
    w.options().picBG_DblClick();
    w.options().picR1_DblClick();
    w.options().picR2_DblClick();
    w.panel().optLow->click();
    w.panel().optRGBS->click();
    w.panel().txtRLevel->setText("50");
    auto press = [&w](const char* tag) {
        QTest::mouseClick(w.tlbMain()->widgetForAction(w.tlbMain()->buttonByTag(tag)), Qt::LeftButton);
    };
    press("Gamma");
    w.panel().txtGamma->setText("40");
    press("Grid");
    w.zoomOutAction()->trigger(); // Ctrl+Minus: the view at 6 pixels a cell
    w.panel().chkFullColour->click();
    w.panel().txtTolerance->setText("3");
    w.panel().optSmooth->click();
    w.importCommand().setWindowSize({520, 410}); // as a resize of the import window leaves it
    QVERIFY(QDir().mkpath(openedFolder));
    QVERIFY(TestSupport::patternImage(48, 56).save(openedFolder + "/opened.png"));
    w.files().openFile(openedFolder + "/opened.png");
}

void SettingsTest::verifyStartValues(frmMain& w)
{
    const EditingState start;
    QCOMPARE(w.state().FGColor, start.FGColor);
    QCOMPARE(w.state().BGColor, start.BGColor);
    QCOMPARE(w.state().R1Color, start.R1Color);
    QCOMPARE(w.state().R2Color, start.R2Color);
    QCOMPARE(w.panel().picFG->fill(), start.FGColor);
    QCOMPARE(w.panel().picBG->fill(), start.BGColor);
    QCOMPARE(w.panel().picR1->fill(), start.R1Color);
    QCOMPARE(w.panel().picR2->fill(), start.R2Color);
    QCOMPARE(w.state().OutputQuality, 100);
    QVERIFY(w.panel().optPerfect->isChecked());
    QVERIFY(w.panel().optRGBA->isChecked());
    QCOMPARE(w.panel().txtRLevel->text(), QStringLiteral("80"));
    QCOMPARE(w.state().PopupAlpha, std::uint8_t(204));
    QCOMPARE(w.panel().txtGamma->text(), QStringLiteral("15"));
    QCOMPARE(w.state().GammaStep, std::uint8_t(15));
    QVERIFY(!w.panel().txtGamma->isEnabled());
    QVERIFY(w.tlbMain()->gridPressed());
    QCOMPARE(w.canvas().zoom(), 8);
    QCOMPARE(w.canvas().picFace().size(), QSize(384, 448));
    QCOMPARE(w.state().CurrentTool, QStringLiteral("Brush"));
    QVERIFY(w.tlbMain()->buttonByTag("Brush")->isChecked());
    QCOMPARE(w.files().lastFolder(), QString());
    QVERIFY(!w.panel().chkFullColour->isChecked());
    QVERIFY(!w.state().FullColourDetail);
    QCOMPARE(w.panel().txtTolerance->text(), QStringLiteral("0"));
    QCOMPARE(int(w.state().Tolerance), 0);
    QVERIFY(w.panel().optSharp->isChecked());
    QCOMPARE(w.importCommand().scaling(), PictureScale::Filter::Sharp);
    QVERIFY(!w.importCommand().windowSize().isValid());
}

void SettingsTest::optionsSurviveARestart()
{
    const QString folder = TestSupport::tempPath("settings-folder");
    const QString importFolder = TestSupport::tempPath("import-folder");
    {
        auto first = startWindow();
        verifyStartValues(*first); // the first run
        changeEverything(*first, folder);
        // An import picked from another folder (the scripted dialog answers, then cancels the pick).
        QVERIFY(QDir().mkpath(importFolder));
        QVERIFY(TestSupport::patternImage(60, 70).save(importFolder + "/imported.png"));
        dialogs->fileAnswers.enqueue(importFolder + "/imported.png");
        const auto watch = whenImportWindowShows(*first, [](frmImport& w) { w.cancelPick(); });
        first->ImportBitmap();
        QVERIFY(first->close());
    }
    QVERIFY(QFile::exists(settingsFile()));

    auto second = startWindow();
    frmMain& w = *second;
    QCOMPARE(w.state().FGColor, RGBColour(10, 20, 30));
    QCOMPARE(w.state().BGColor, RGBColour(40, 50, 60));
    QCOMPARE(w.state().R1Color, RGBColour(70, 80, 90));
    QCOMPARE(w.state().R2Color, RGBColour(100, 110, 120));
    QCOMPARE(w.panel().picFG->fill(), RGBColour(10, 20, 30));
    QCOMPARE(w.panel().picBG->fill(), RGBColour(40, 50, 60));
    QCOMPARE(w.panel().picR1->fill(), RGBColour(70, 80, 90));
    QCOMPARE(w.panel().picR2->fill(), RGBColour(100, 110, 120));
    QCOMPARE(w.state().OutputQuality, 55);
    QVERIFY(w.panel().optLow->isChecked());
    QVERIFY(w.panel().optRGBS->isChecked());
    QCOMPARE(w.panel().txtRLevel->text(), QStringLiteral("50"));
    QCOMPARE(w.state().PopupAlpha, std::uint8_t(127));
    QCOMPARE(w.panel().txtGamma->text(), QStringLiteral("40"));
    QCOMPARE(w.state().GammaStep, std::uint8_t(40));
    QVERIFY(w.panel().txtGamma->isEnabled()); // the Gamma tool is back
    QVERIFY(!w.tlbMain()->gridPressed());
    QCOMPARE(w.canvas().picFace().pixel(0, 0), Colour(0)); // no grid line over the view
    QCOMPARE(w.canvas().zoom(), 6);
    QCOMPARE(w.picFaceBox()->clientSize(), QSize(288, 336));
    QCOMPARE(w.state().CurrentTool, QStringLiteral("Gamma"));
    QVERIFY(w.tlbMain()->buttonByTag("Gamma")->isChecked());
    QVERIFY(w.panel().chkFullColour->isChecked());
    QVERIFY(w.state().FullColourDetail);
    QCOMPARE(w.panel().txtTolerance->text(), QStringLiteral("3"));
    QCOMPARE(int(w.state().Tolerance), 3);
    QVERIFY(w.panel().optSmooth->isChecked());
    QCOMPARE(w.importCommand().scaling(), PictureScale::Filter::Smooth);
    QCOMPARE(w.importCommand().windowSize(), QSize(520, 410));

    // The portrait itself is not kept: a new run starts with a new one, and Open starts
    // in the folder the last portrait came from.
    QCOMPARE(w.document().picPreview().pixel(0, 0), Colour(0));
    w.OpenPortrait();
    QCOMPARE(dialogs->fileRequests.constLast().directory, folder);
    // Import starts in the folder the last imported picture came from.
    w.ImportBitmap();
    QCOMPARE(dialogs->fileRequests.constLast().directory, importFolder);
}

void SettingsTest::noSettingsStartsFromStartValuesAndWritesNothing_data()
{
    QTest::addColumn<bool>("stored");
    QTest::newRow("values stored by an earlier run") << true;
    QTest::newRow("nothing stored yet") << false;
}

void SettingsTest::noSettingsStartsFromStartValuesAndWritesNothing()
{
    QFETCH(bool, stored);
    if (stored) {
        auto earlier = startWindow();
        changeEverything(*earlier, TestSupport::tempPath("settings-earlier"));
        QVERIFY(earlier->close());
    }
    QFile file(settingsFile());
    const QByteArray before = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    QCOMPARE(before.isEmpty(), !stored);

    qputenv("PICTORIA_NO_SETTINGS", "1");
    auto window = startWindow();
    verifyStartValues(*window);
    changeEverything(*window, TestSupport::tempPath("settings-later"));
    QVERIFY(window->close());
    window.reset();

    QCOMPARE(QFile::exists(settingsFile()), stored);
    if (stored) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

void SettingsTest::unusableValuesLeaveStartValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("colour name") << "colours/foreground"
                                 << "red";
    QTest::newRow("short colour") << "colours/background"
                                  << "#12345";
    QTest::newRow("quality 42") << "output/quality"
                                << "42";
    QTest::newRow("popup sometimes") << "popup/show"
                                     << "sometimes";
    QTest::newRow("transparency 150") << "popup/transparency"
                                      << "150";
    QTest::newRow("gamma letters") << "gamma/step"
                                   << "abc";
    QTest::newRow("gamma too long") << "gamma/step"
                                    << "0015";
    QTest::newRow("grid maybe") << "view/grid"
                                << "maybe";
    QTest::newRow("zoom 7") << "view/zoom"
                            << "7";
    QTest::newRow("zoom large") << "view/zoom"
                                << "large";
    QTest::newRow("scaling fuzzy") << "import/scaling"
                                   << "fuzzy";
    QTest::newRow("import window 12 wide") << "import/windowSize"
                                           << "12x400";
    QTest::newRow("no such tool") << "tools/current"
                                  << "Eraser";
    QTest::newRow("unreadable file") << ""
                                     << "";
}

void SettingsTest::unusableValuesLeaveStartValues()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    if (key.isEmpty()) {
        QVERIFY(QDir().mkpath(settingsFile())); // a folder where the file should be
    } else {
        QSettings store(settingsFile(), QSettings::IniFormat);
        store.setValue(key, value);
        store.sync();
        QCOMPARE(store.status(), QSettings::NoError);
    }
    auto window = startWindow();
    verifyStartValues(*window);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
