#include "canvas/ColourReduction.h"
#include "files/PortraitFiles.h"
#include "mainwindow/AsSavedPreview.h"
#include "mainwindow/ColourCommands.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/ReduceColoursDialog.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

using TestSupport::tempPath;

namespace {

// The sampling factors (horizontal, vertical) of each component, from the file's
// start-of-frame header.
QList<QPair<int, int>> samplingFactors(const QByteArray& jpeg)
{
    QList<QPair<int, int>> factors;
    qsizetype at = 2; // after SOI
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        const int marker = uchar(jpeg[at + 1]);
        const int length = uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            const int components = uchar(jpeg[at + 9]);
            for (int i = 0; i < components; ++i) {
                const int sampling = uchar(jpeg[at + 10 + 3 * i + 1]);
                factors << qMakePair(sampling >> 4, sampling & 15);
            }
            return factors;
        }
        at += 2 + length;
    }
    return factors;
}

// A photo-like portrait: four flat areas, each with a little noise of its own.
QImage noisyQuadrants()
{
    const QRgb base[] = {qRgb(200, 160, 130), qRgb(60, 40, 30), qRgb(30, 90, 170), qRgb(220, 220, 210)};
    QImage image(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x) {
            const QRgb b = base[(x >= 24) + 2 * (y >= 28)];
            const int n = (x * 7 + y * 13) % 4; // 0..3: within 3 of each other
            image.setPixel(x, y, qRgb(qRed(b) + n, qGreen(b) - n, qBlue(b) + (n & 1)));
        }
    return image;
}

} // namespace

// The colour work on the real window: the "Portrait" frame's full colour detail and
// tolerance, the two colour commands with their keys, and panel 2's tooltip.
class ColourWorkTest : public QObject, MainWindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fullColourDetailSetsSampling_data();
    void fullColourDetailSetsSampling();
    void singlePixelColourSurvives_data();
    void singlePixelColourSurvives();
    void commandsAreOneUndoStepAndReportCounts_data();
    void commandsAreOneUndoStepAndReportCounts();
    void reductionPreviewsLive_data();
    void reductionPreviewsLive();
    void everyKeyOfTheWindowIsUnique();
    void colourPanelTooltipCountsCells();

private:
    void save(int quality, bool fullColour, const QString& path);
};

void ColourWorkTest::init()
{
    QVERIFY(openWindow());
}

void ColourWorkTest::cleanup()
{
    window.reset();
}

void ColourWorkTest::save(int quality, bool fullColour, const QString& path)
{
    ControlPanel& p = window->panel();
    QRadioButton* option = quality == 100  ? p.optPerfect
                           : quality == 85 ? p.optHigh
                           : quality == 70 ? p.optMed
                                           : p.optLow;
    option->click();
    if (p.chkFullColour->isChecked() != fullColour)
        QTest::mouseClick(p.chkFullColour, Qt::LeftButton, {}, QPoint(6, p.chkFullColour->height() / 2));
    QCOMPARE(window->state().FullColourDetail, fullColour);
    dialogs->fileAnswers.enqueue(path);
    window->SavePortrait();
}

void ColourWorkTest::fullColourDetailSetsSampling_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<bool>("fullColour");
    QTest::addColumn<int>("lumaFactor"); // 1: 4:4:4, 2: 4:2:0 (both directions)
    for (int quality : {85, 70, 55}) {
        QTest::addRow("%d%% with full colour detail", quality) << quality << true << 1;
        QTest::addRow("%d%% without", quality) << quality << false << 2;
    }
    QTest::newRow("100% without") << 100 << false << 1;
}

void ColourWorkTest::fullColourDetailSetsSampling()
{
    QFETCH(int, quality);
    QFETCH(bool, fullColour);
    QFETCH(int, lumaFactor);
    QVERIFY(!window->panel().chkFullColour->isChecked()); // off at start
    window->document().loadPortrait(TestSupport::patternImage(48, 56));
    const QString path = tempPath(QStringLiteral("sampling-%1-%2.jpg").arg(quality).arg(fullColour));
    save(quality, fullColour, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QPair<int, int>> factors = samplingFactors(file.readAll());
    QCOMPARE(factors.size(), 3);
    QCOMPARE(factors[0], qMakePair(lumaFactor, lumaFactor));
    QCOMPARE(factors[1], qMakePair(1, 1));
    QCOMPARE(factors[2], qMakePair(1, 1));
}

void ColourWorkTest::singlePixelColourSurvives_data()
{
    QTest::addColumn<bool>("fullColour");
    QTest::addColumn<bool>("survives");
    QTest::newRow("full colour detail") << true << true;
    QTest::newRow("4:2:0 smears it") << false << false;
}

void ColourWorkTest::singlePixelColourSurvives()
{
    QFETCH(bool, fullColour);
    QFETCH(bool, survives);
    // A one-pixel blue eye on skin.
    const Colour skin = RGBColour(230, 190, 160), eye = RGBColour(30, 60, 220);
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(toQRgb(skin));
    portrait.setPixel(17, 21, toQRgb(eye));
    window->document().loadPortrait(portrait);
    const QString path = tempPath(QStringLiteral("eye-%1.jpg").arg(fullColour));
    save(85, fullColour, path);

    // The hold-P preview shows what the file holds.
    window->asSaved().show();
    const Colour shown = window->canvas().picFace().pixel(17 * 8 + 4, 21 * 8 + 4);
    window->asSaved().hide();
    window->files().openFile(path);
    const Colour reopened = window->document().picPreview().pixel(17, 21);
    QCOMPARE(shown, reopened);

    // Survives: still the eye's blue, well under a quarter of the way to the skin in
    // OKLab (4:2:0 brings it back brown, two thirds of the way).
    const double off = std::sqrt(
        ColourReduction::distance2(ColourReduction::toOkLab(reopened), ColourReduction::toOkLab(eye)));
    QVERIFY2((off < 0.1) == survives, qPrintable(QStringLiteral("OKLab distance %1").arg(off)));
}

void ColourWorkTest::commandsAreOneUndoStepAndReportCounts_data()
{
    QTest::addColumn<bool>("reduce");
    QTest::addColumn<QString>("tolerance");
    QTest::addColumn<int>("after");
    QTest::newRow("reduce to 4") << true << "" << 4;
    QTest::newRow("merge within 3") << false << "3" << 4;
    QTest::newRow("merge within 1") << false << "1" << -1; // some, not all, merged
}

void ColourWorkTest::commandsAreOneUndoStepAndReportCounts()
{
    QFETCH(bool, reduce);
    QFETCH(QString, tolerance);
    QFETCH(int, after);
    const QImage noisy = noisyQuadrants();
    window->document().loadPortrait(noisy);
    const int before = ColourReduction(noisy).colourCount();
    QVERIFY(before > 4);
    if (!tolerance.isEmpty())
        window->panel().txtTolerance->setText(tolerance);
    const int steps = window->document().history().count();
    if (reduce) {
        int offered = 0;
        const auto watch = whenDialogShows([&](QDialog& dialog) {
            auto& reduction = static_cast<ReduceColoursDialog&>(dialog);
            offered = reduction.coloursBox()->value();
            reduction.coloursBox()->setValue(4);
            reduction.accept();
        });
        QTest::mouseClick(window->panel().cmdReduce, Qt::LeftButton);
        QCOMPARE(offered, ColourCommands::DefaultColours);
    } else {
        QTest::mouseClick(window->panel().cmdMerge, Qt::LeftButton);
    }
    const QImage changed = window->document().picPreview().image().copy();
    const int now = ColourReduction(changed).colourCount();
    if (after > 0)
        QCOMPARE(now, after);
    else
        QVERIFY(now > 4 && now < before);
    const QString what = reduce ? QStringLiteral("Colour reduction") : QStringLiteral("Colour merge");
    QCOMPARE(window->stbMain()->panelText(1),
             QStringLiteral("%1: the portrait had %2 colours and has %3.").arg(what).arg(before).arg(now));
    // The back buffer shows the new portrait.
    QCOMPARE(window->canvas().picBackBuffer().pixel(30 * 8 + 3, 40 * 8 + 3), fromQRgb(changed.pixel(30, 40)));

    QCOMPARE(window->document().history().count(), steps + 1);
    window->document().history().undo();
    QCOMPARE(window->document().picPreview().image(), noisy);
    window->document().history().redo();
    QCOMPARE(window->document().picPreview().image(), changed);
}

void ColourWorkTest::reductionPreviewsLive_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK takes the previewed portrait") << true;
    QTest::newRow("Escape leaves the portrait") << false;
}

void ColourWorkTest::reductionPreviewsLive()
{
    QFETCH(bool, confirm);
    const QImage photo = TestSupport::patternImage(48, 56);
    window->document().loadPortrait(photo);
    const int steps = window->document().history().count();
    const QString status = window->stbMain()->panelText(1);
    const ColourReduction colours(photo);
    const QPoint probe(30, 40);
    const auto cell = [&probe](const QImage& image) { return fromQRgb(image.pixel(probe)); };
    struct Seen {
        Colour view = 0, dialog = 0, document = 0;
    };
    const auto look = [&](const ReduceColoursDialog& d) {
        return Seen{window->canvas().picFace().pixel(probe.x() * 8 + 3, probe.y() * 8 + 3),
                    fromQRgb(d.previewLabel()->pixmap().toImage().pixel(probe * 3 + QPoint(1, 1))),
                    window->document().picPreview().pixel(probe.x(), probe.y())};
    };
    Seen at8, at3, ordered;
    QString dithering;
    const auto watch = whenDialogShows([&](QDialog& dialog) {
        auto& reduction = static_cast<ReduceColoursDialog&>(dialog);
        reduction.coloursBox()->setValue(8);
        at8 = look(reduction);
        reduction.coloursBox()->setValue(3);
        at3 = look(reduction);
        dithering = reduction.ditheringBox()->currentText();
        reduction.ditheringBox()->setCurrentIndex(1); // ordered
        ordered = look(reduction);
        reduction.ditheringBox()->setCurrentIndex(0);
        if (confirm)
            reduction.accept();
        else
            QTest::keyClick(&reduction, Qt::Key_Escape);
    });
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    // While the dialog is open, the view and the dialog show the result for the number
    // chosen; the portrait itself stays as it was. Dithering is off until chosen.
    QCOMPARE(at8.view, cell(colours.reduced(8)));
    QCOMPARE(at8.dialog, at8.view);
    QCOMPARE(at3.view, cell(colours.reduced(3)));
    QCOMPARE(at3.dialog, at3.view);
    QVERIFY(at8.view != at3.view);
    QCOMPARE(at3.document, cell(photo));
    QCOMPARE(dithering, QStringLiteral("None"));
    QCOMPARE(ordered.view, cell(colours.reduced(3, ColourReduction::Dithering::Ordered)));
    QCOMPARE(ordered.dialog, ordered.view);

    // Afterwards the view shows the portrait again, whatever the answer.
    const QImage now = window->document().picPreview().image().copy();
    QCOMPARE(window->canvas().picFace().pixel(probe.x() * 8 + 3, probe.y() * 8 + 3), cell(now));
    if (confirm) {
        QCOMPARE(now, colours.reduced(3));
        QCOMPARE(window->document().history().count(), steps + 1);
    } else {
        QCOMPARE(now, photo);
        QCOMPARE(window->document().history().count(), steps);
        QCOMPARE(window->stbMain()->panelText(1), status);
    }
}

void ColourWorkTest::everyKeyOfTheWindowIsUnique()
{
    // The commands' keys reach them from the window...
    window->document().loadPortrait(noisyQuadrants());
    window->picFaceBox()->setFocus();
    bool reduction = false;
    {
        const auto watch = whenDialogShows([&](QDialog& dialog) {
            reduction = qobject_cast<ReduceColoursDialog*>(&dialog) != nullptr;
            dialog.reject();
        });
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    }
    QVERIFY(reduction);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const int steps = window->document().history().count();
    window->panel().txtTolerance->setText("3");
    window->picFaceBox()->setFocus();
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(window->document().history().count(), steps + 1);
    // ...and no two actions of the window share a key.
    QMap<QString, QString> owners;
    for (QAction* action : window->findChildren<QAction*>())
        for (const QKeySequence& keys : action->shortcuts()) {
            const QString name = keys.toString();
            QVERIFY2(!owners.contains(name), qPrintable(name + " twice"));
            owners.insert(name, action->toolTip());
        }
    QVERIFY(owners.contains("Ctrl+R") && owners.contains("Ctrl+M"));
}

void ColourWorkTest::colourPanelTooltipCountsCells()
{
    QImage portrait(48, 56, QImage::Format_RGB32);
    portrait.fill(qRgb(10, 20, 30));
    for (int x = 0; x < 7; ++x)
        portrait.setPixel(x, 3, qRgb(255, 128, 0));
    window->document().loadPortrait(portrait);
    StatusBar* bar = window->stbMain();
    QTest::mouseMove(window->picFaceBox(),
                     window->picFaceBox()->clientOrigin() + QPoint(2 * 8 + 4, 3 * 8 + 4));
    QCOMPARE(bar->panelText(2), QStringLiteral("RGB(255,128,0)"));
    QCOMPARE(bar->panelWidget(2)->toolTip(), QStringLiteral("#FF8000: 7 cells"));
    QTest::mouseMove(window->picFaceBox(),
                     window->picFaceBox()->clientOrigin() + QPoint(40 * 8 + 4, 50 * 8 + 4));
    QCOMPARE(bar->panelText(2), QStringLiteral("RGB(10,20,30)"));
    QCOMPARE(bar->panelWidget(2)->toolTip(), QStringLiteral("#0A141E: %1 cells").arg(48 * 56 - 7));
}

QTEST_MAIN(ColourWorkTest)
#include "tst_colourwork.moc"
