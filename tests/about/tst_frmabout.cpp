#include "about/frmAbout.h"

#include <QLabel>
#include <QtTest>

class FrmAboutTest : public QObject {
    Q_OBJECT
private slots:
    void windowAndText();
    void firstTicksReachTheTopAndRestart();
    void greyLevels_data();
    void greyLevels();
    void textColourFollowsTheTicks();
    void reopeningStartsFresh();
};

void FrmAboutTest::windowAndText()
{
    frmAbout about("Version 1.1a");
    QCOMPARE(about.windowTitle(), QStringLiteral("About Pictoria"));
    QCOMPARE(about.size(), QSize(312, 213));
    QVERIFY(about.isModal());
    const QStringList lines = about.lblText()->text().split("\r\n");
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("Pictoria - Emberfall Portrait Maker"));
    QVERIFY(lines[1].isEmpty() && lines[3].isEmpty());
    QVERIFY(lines[2].contains("Pictoria developers"));
    QCOMPARE(lines[4], QStringLiteral("Version 1.1a"));
    QCOMPARE(about.lblText()->pos(), QPoint(4, 4));
    QCOMPARE(about.tmrScroll().interval(), 20);
    QVERIFY(about.tmrScroll().isActive());
}

void FrmAboutTest::firstTicksReachTheTopAndRestart()
{
    frmAbout about("v");
    about.tmrScroll().stop();
    QCOMPARE(about.labelTopTwips(), 60);
    about.tmrScroll_Timer();
    QCOMPARE(about.labelTopTwips(), 35);
    about.tmrScroll_Timer();
    QCOMPARE(about.labelTopTwips(), 10);
    about.tmrScroll_Timer();
    // Past the top: it restarts just below the window, from tick 0.
    QCOMPARE(about.labelTopTwips(), about.frameGeometry().height() * 15);
    QCOMPARE(about.ScrollStep(), 0);
    about.tmrScroll_Timer();
    QCOMPARE(about.labelTopTwips(), about.frameGeometry().height() * 15 - 25);
    QCOMPARE(about.lblText()->y(), (about.frameGeometry().height() * 15 - 25) / 15);
}

void FrmAboutTest::greyLevels_data()
{
    QTest::addColumn<int>("tick");
    QTest::addColumn<int>("grey");
    QTest::newRow("first") << 0 << 255;
    QTest::newRow("last white") << 87 << 255;
    QTest::newRow("first darker") << 88 << 253;
    QTest::newRow("later") << 100 << 205;
    QTest::newRow("floor") << 200 << 0;
}

void FrmAboutTest::greyLevels()
{
    QFETCH(int, tick);
    QFETCH(int, grey);
    QCOMPARE(frmAbout::greyLevelAt(tick), grey);
}

void FrmAboutTest::textColourFollowsTheTicks()
{
    frmAbout about("v");
    about.tmrScroll().stop();
    for (int i = 0; i < 3; ++i)
        about.tmrScroll_Timer(); // to the bottom, ScrollStep 0
    for (int i = 0; i < 89; ++i)
        about.tmrScroll_Timer(); // ticks 0..88 of the pass
    QCOMPARE(about.greyLevel(), 253);
    QCOMPARE(about.lblText()->palette().color(QPalette::WindowText), QColor(253, 253, 253));
}

void FrmAboutTest::reopeningStartsFresh()
{
    auto first = std::make_unique<frmAbout>("Version 1.1a");
    first->tmrScroll_Timer();
    first.reset();
    frmAbout second("Version 2");
    QCOMPARE(second.labelTopTwips(), 60);
    QVERIFY(second.lblText()->text().endsWith("Version 2"));
}

QTEST_MAIN(FrmAboutTest)
#include "tst_frmabout.moc"
