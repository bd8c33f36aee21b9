#include "mainwindow/BoxValidation.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ColourWellsAndOptions.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/frmMain.h"
#include "support/MainWindowFixture.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

class OptionsTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void gammaBox_data();
    void gammaBox();
    void gammaBoxTakesAtMostThreeCharacters();
    void gammaBoxClickSelectsText();
    void transparencyBox_data();
    void transparencyBox();
    void toleranceBox_data();
    void toleranceBox();
    void wellDoubleClickChoosesColour_data();
    void wellDoubleClickChoosesColour();
    void cancelledDialogChangesNothing();
    void swapsReadTheFills();
    void swappingTwiceRestores();
    void qualityOptions();
};

void OptionsTest::init()
{
    QVERIFY(openWindow());
}

void OptionsTest::gammaBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("step");
    QTest::newRow("empty") << ""
                           << "15" << 15;
    QTest::newRow("lone minus") << "-"
                                << "15" << 15;
    QTest::newRow("letters") << "ab"
                             << "15" << 15;
    QTest::newRow("too large") << "256"
                               << "255" << 255;
    QTest::newRow("negative") << "-3"
                              << "15" << 15;
    QTest::newRow("tie to even down") << "2.5"
                                      << "2.5" << 2;
    QTest::newRow("tie to even up") << "3.5"
                                    << "3.5" << 4;
    QTest::newRow("half") << "0.5"
                          << "0.5" << 0;
    QTest::newRow("zero") << "0"
                          << "0" << 0;
    QTest::newRow("plain") << "40"
                           << "40" << 40;
    QTest::newRow("just below a tie") << "2.4"
                                      << "2.4" << 2;
}

void OptionsTest::gammaBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, step);
    QLineEdit* box = window->panel().txtGamma;
    box->setText("99");
    box->setText(typed);
    QCOMPARE(box->text(), shown);
    QCOMPARE(int(window->state().GammaStep), step);
}

void OptionsTest::gammaBoxTakesAtMostThreeCharacters()
{
    QLineEdit* box = window->panel().txtGamma;
    box->setEnabled(true);
    box->setFocus();
    box->selectAll(); // clearing the box would put "15" back at once
    QTest::keyClicks(box, "1234");
    QCOMPARE(box->text(), QStringLiteral("123"));
    QCOMPARE(int(window->state().GammaStep), 123);
}

void OptionsTest::gammaBoxClickSelectsText()
{
    QLineEdit* box = window->panel().txtGamma;
    box->setEnabled(true);
    box->setText("200");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
    QCOMPARE(box->selectionStart(), 0);
    QCOMPARE(box->selectedText(), QStringLiteral("200"));
}

void OptionsTest::transparencyBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("alpha");
    QTest::newRow("empty") << ""
                           << "80" << 204;
    QTest::newRow("too large") << "150"
                               << "100" << 255;
    QTest::newRow("negative") << "-1"
                              << "80" << 204;
    QTest::newRow("fraction") << "7.5"
                              << "7.5" << 19;
    QTest::newRow("0") << "0"
                       << "0" << 0;
    QTest::newRow("10") << "10"
                        << "10" << 25;
    QTest::newRow("50") << "50"
                        << "50" << 127;
    QTest::newRow("70") << "70"
                        << "70" << 178;
    QTest::newRow("90") << "90"
                        << "90" << 229;
    QTest::newRow("100") << "100"
                         << "100" << 255;
}

void OptionsTest::transparencyBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, alpha);
    QLineEdit* box = window->panel().txtRLevel;
    box->setText("33");
    box->setText(typed);
    QCOMPARE(box->text(), shown);
    QCOMPARE(int(window->state().PopupAlpha), alpha);
}

void OptionsTest::toleranceBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("empty") << ""
                           << "0" << 0;
    QTest::newRow("letters") << "ab"
                             << "0" << 0;
    QTest::newRow("negative") << "-3"
                              << "0" << 0;
    QTest::newRow("too large") << "300"
                               << "255" << 255;
    QTest::newRow("tie to even") << "2.5"
                                 << "2.5" << 2;
    QTest::newRow("plain") << "12"
                           << "12" << 12;
}

void OptionsTest::toleranceBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, tolerance);
    QLineEdit* box = window->panel().txtTolerance;
    QCOMPARE(box->text(), QStringLiteral("0"));
    QCOMPARE(int(window->state().Tolerance), 0);
    QVERIFY(box->isEnabled());
    box->setText("7");
    box->setText(typed);
    QCOMPARE(box->text(), shown);
    QCOMPARE(int(window->state().Tolerance), tolerance);
    QCOMPARE(box->maxLength(), 3);
}

void OptionsTest::wellDoubleClickChoosesColour_data()
{
    QTest::addColumn<int>("well");
    QTest::addColumn<bool>("front");
    QTest::newRow("foreground") << 0 << true;
    QTest::newRow("background") << 1 << false;
    QTest::newRow("replace 1") << 2 << true;
    QTest::newRow("replace 2") << 3 << false;
}

void OptionsTest::wellDoubleClickChoosesColour()
{
    QFETCH(int, well);
    QFETCH(bool, front);
    ControlPanel& p = window->panel();
    ColourWell* wells[] = {p.picFG, p.picBG, p.picR1, p.picR2};
    ColourWell* partner = wells[well ^ 1];
    Colour EditingState::*values[] = {&EditingState::FGColor, &EditingState::BGColor, &EditingState::R1Color,
                                      &EditingState::R2Color};
    const Colour red = RGBColour(255, 0, 0);
    // Start from the other stacking, so only the handler's own restacking can pass.
    if (front)
        wells[well]->stackUnder(partner);
    else
        partner->stackUnder(wells[well]);
    dialogs->colourAnswers.enqueue(red);
    const Colour before = wells[well]->fill();
    QTest::mouseDClick(wells[well], Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(dialogs->colourRequests, 1);
    QCOMPARE(window->state().*values[well], red);
    QCOMPARE(wells[well]->fill(), red);
    // The dialog opens on the well's colour, so a colour can be nudged; a cancel after
    // nudging leaves the chosen colour.
    QCOMPARE(dialogs->colourInitials, QList<Colour>{before});
    dialogs->colourAnswers.enqueue(std::nullopt);
    QTest::mouseDClick(wells[well], Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(dialogs->colourInitials, (QList<Colour>{before, red}));
    QCOMPARE(window->state().*values[well], red);
    QCOMPARE(wells[well]->fill(), red);
    // The front well of the pair stays drawn over the overlapping corner.
    const QList<QObject*> order = wells[well]->parent()->children();
    const bool wellAbove = order.indexOf(wells[well]) > order.indexOf(partner);
    QCOMPARE(wellAbove, front);
}

void OptionsTest::cancelledDialogChangesNothing()
{
    ControlPanel& p = window->panel();
    dialogs->colourAnswers.enqueue(RGBColour(0, 0, 255));
    window->options().picR1_DblClick();
    dialogs->colourAnswers.enqueue(std::nullopt);
    window->options().picBG_DblClick();
    QCOMPARE(window->state().BGColor, Colour(0));
    QCOMPARE(p.picBG->fill(), Colour(0));
    QCOMPARE(window->state().R1Color, RGBColour(0, 0, 255));
}

void OptionsTest::swapsReadTheFills()
{
    ControlPanel& p = window->panel();
    // A stored value out of step with its well: the fills win.
    window->state().FGColor = RGBColour(7, 7, 7);
    window->options().picSwap_Click();
    QCOMPARE(window->state().FGColor, Colour(0));
    QCOMPARE(window->state().BGColor, RGBColour(255, 255, 255));
    QCOMPARE(p.picFG->fill(), Colour(0));
    QCOMPARE(p.picBG->fill(), RGBColour(255, 255, 255));
    QTest::mouseClick(p.picSwapReplace, Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(window->state().R1Color, Colour(0));
    QCOMPARE(window->state().R2Color, RGBColour(255, 255, 255));
    QCOMPARE(p.picR2->fill(), RGBColour(255, 255, 255));
}

void OptionsTest::swappingTwiceRestores()
{
    window->options().picSwap_Click();
    window->options().picSwap_Click();
    QCOMPARE(window->state().FGColor, RGBColour(255, 255, 255));
    QCOMPARE(window->state().BGColor, Colour(0));
}

void OptionsTest::qualityOptions()
{
    ControlPanel& p = window->panel();
    QCOMPARE(window->state().OutputQuality, 100);
    const QPair<QRadioButton*, int> options[] = {
        {p.optLow, 55}, {p.optMed, 70}, {p.optHigh, 85}, {p.optPerfect, 100}};
    for (auto [option, quality] : options) {
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
        QCOMPARE(window->state().OutputQuality, quality);
        QVERIFY(option->isChecked());
    }
}

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
