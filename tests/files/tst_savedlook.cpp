#include "canvas/PortraitCanvas.h"
#include "files/SavedLook.h"
#include "files/cGdiPlus.h"
#include "import/SandboxedDecoder.h"
#include "mainwindow/AsSavedPreview.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/frmMain.h"
#include "platform/PictureBox.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QCursor>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using TestSupport::patternImage;
using TestSupport::tempPath;

namespace {

// Portraits that JPEG treats differently: sharp single-pixel detail, smooth shading,
// and a flat field with one hard edge.
QImage portraitSample(const QString& kind)
{
    if (kind == QLatin1String("pattern"))
        return patternImage(48, 56);
    QImage image(48, 56, QImage::Format_RGB32);
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            image.setPixel(x, y,
                           kind == QLatin1String("shading")
                               ? qRgb(x * 5, y * 4, 255 - x * 2)
                               : (x < 20 ? qRgb(200, 30, 40) : qRgb(20, 60, 220)));
    return image;
}

QImage decodedFile(const QString& path)
{
    SandboxedDecoder decoder;
    cGdiPlus gdip;
    gdip.setDecoder(&decoder);
    return gdip.FilenameToIPicture(path);
}

} // namespace

// The as-saved look: what the preview shows is what Save writes and Open reads back,
// pixel for pixel, and the sizes offered are the sizes written.
class SavedLookTest : public QObject {
    Q_OBJECT
private slots:
    void lookEqualsSavedFile_data();
    void lookEqualsSavedFile();
    void heldKeyShowsSavedLookInView_data();
    void heldKeyShowsSavedLookInView();
    void keyCountsOverTheViewButNotInTextBoxes();
    void tooltipsGiveSavedSizes_data();
    void tooltipsGiveSavedSizes();
    void tooltipAnswersBeforeAnyChange();
    void tooltipsFollowChangesAfterDelay();
};

void SavedLookTest::lookEqualsSavedFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("quality");
    for (const char* kind : {"pattern", "shading", "edge"})
        for (int quality : {100, 85, 70, 55})
            QTest::addRow("%s at %d", kind, quality) << QString::fromLatin1(kind) << quality;
}

void SavedLookTest::lookEqualsSavedFile()
{
    QFETCH(QString, kind);
    QFETCH(int, quality);
    const QImage portrait = portraitSample(kind);
    Surface surface(48, 56);
    surface.copyFrom(portrait, 0, 0, 48, 56);
    const QString path = tempPath(QStringLiteral("look-%1-%2.jpg").arg(kind).arg(quality));
    cGdiPlus gdip;
    QVERIFY(gdip.PictureBoxToFile(surface, path, quality));

    SavedLook look;
    const SavedLook::Result r = look.look(portrait, quality);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.picture, decodedFile(path));
    QCOMPARE(r.bytes, QFileInfo(path).size());
    QCOMPARE(look.size(portrait, quality), r.bytes);
    // JPEG loses something on these pictures: a preview of the portrait itself would fail.
    if (kind != QLatin1String("edge") || quality < 100)
        QVERIFY(r.picture != portrait.convertToFormat(QImage::Format_RGB32));
}

void SavedLookTest::heldKeyShowsSavedLookInView_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("quality");
    QTest::newRow("Perfect") << "optPerfect" << 100;
    QTest::newRow("High") << "optHigh" << 85;
    QTest::newRow("Medium") << "optMed" << 70;
    QTest::newRow("Low") << "optLow" << 55;
}

void SavedLookTest::heldKeyShowsSavedLookInView()
{
    QFETCH(QString, option);
    QFETCH(int, quality);
    auto dialogs = std::make_shared<ScriptedDialogs>();
    frmMain window(dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.document().loadPortrait(portraitSample(QStringLiteral("shading")));
    QRadioButton* opt = option == "optPerfect" ? window.panel().optPerfect
                        : option == "optHigh"  ? window.panel().optHigh
                        : option == "optMed"   ? window.panel().optMed
                                               : window.panel().optLow;
    opt->click();
    QCOMPARE(window.state().OutputQuality, quality);

    const QString path = tempPath(QStringLiteral("held-%1.jpg").arg(quality));
    dialogs->fileAnswers.enqueue(path);
    window.SavePortrait();
    QVERIFY(QFileInfo::exists(path));
    const QImage saved = decodedFile(path);
    QVERIFY(!saved.isNull());

    const QImage portrait = window.document().picPreview().image().copy();
    const QImage backBuffer = window.canvas().picBackBuffer().image().copy();
    const int steps = window.document().history().count();
    PictureBox* view = window.picFaceBox();
    view->setFocus();
    QTest::keyPress(view, Qt::Key_P);
    QVERIFY(window.asSaved().isShowing());
    const Surface& face = window.canvas().picFace();
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            QCOMPARE(face.pixel(8 * x + 4, 8 * y + 4), fromQRgb(saved.pixel(x, y)));
    // The grid stays over it as usual.
    QCOMPARE(face.pixel(8, 3), PortraitCanvas::GridLineColour);
    // Moving the pointer over the view keeps the saved look up, without working it out again.
    const int looks = window.asSaved().looksWorkedOut();
    QCOMPARE(looks, 1);
    for (int i = 0; i < 5; ++i)
        QTest::mouseMove(view, QPoint(100 + 9 * i, 100 + 5 * i));
    QCOMPARE(window.asSaved().looksWorkedOut(), looks);
    QCOMPARE(window.canvas().picFace().pixel(8 * 12 + 4, 8 * 12 + 4), fromQRgb(saved.pixel(12, 12)));
    // Ctrl shows the popup over the saved look, which stays.
    QTest::keyPress(view, Qt::Key_Control, Qt::ControlModifier);
    const QRect popup = window.canvas().popupRect();
    QVERIFY(!popup.isEmpty());
    const Surface& withPopup = window.canvas().picFace();
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            if (!popup.contains(8 * x + 4, 8 * y + 4))
                QCOMPARE(withPopup.pixel(8 * x + 4, 8 * y + 4), fromQRgb(saved.pixel(x, y)));
    QVERIFY(withPopup.pixel(popup.x() + 41, popup.y() + 11) !=
            fromQRgb(saved.pixel((popup.x() + 41) / 8, (popup.y() + 11) / 8)));
    QTest::keyRelease(view, Qt::Key_Control, Qt::ControlModifier);
    QCOMPARE(window.asSaved().looksWorkedOut(), looks);

    // Nothing of the portrait changed.
    QCOMPARE(window.document().picPreview().image(), portrait);
    QCOMPARE(window.canvas().picBackBuffer().image(), backBuffer);
    QCOMPARE(window.document().history().count(), steps);

    QTest::keyRelease(view, Qt::Key_P);
    QVERIFY(!window.asSaved().isShowing());
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 48; ++x)
            if (!popup.contains(8 * x + 4, 8 * y + 4)) // the popup stays until the next move
                QCOMPARE(window.canvas().picFace().pixel(8 * x + 4, 8 * y + 4),
                         fromQRgb(portrait.pixel(x, y)));
}

void SavedLookTest::keyCountsOverTheViewButNotInTextBoxes()
{
    frmMain window(std::make_shared<ScriptedDialogs>());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PictureBox* view = window.picFaceBox();
    // With the pointer away from the view, P held elsewhere does nothing.
    QCursor::setPos(window.mapToGlobal(QPoint(5, 300)));
    QTest::keyPress(window.panel().optHigh, Qt::Key_P);
    QVERIFY(!window.asSaved().isShowing());
    QTest::keyRelease(window.panel().optHigh, Qt::Key_P);
    // Over the view it counts, whichever control has the focus...
    QCursor::setPos(view->mapToGlobal(QPoint(100, 100)));
    QTest::keyPress(window.panel().optHigh, Qt::Key_P);
    QVERIFY(window.asSaved().isShowing());
    QTest::keyRelease(window.panel().optHigh, Qt::Key_P);
    QVERIFY(!window.asSaved().isShowing());
    // ...but a text box takes its P as typing.
    QTest::keyPress(window.panel().txtRLevel, Qt::Key_P);
    QVERIFY(!window.asSaved().isShowing());
    QTest::keyRelease(window.panel().txtRLevel, Qt::Key_P);
}

void SavedLookTest::tooltipsGiveSavedSizes_data()
{
    QTest::addColumn<bool>("fullColour");
    QTest::newRow("4:2:0 below 100%") << false;
    QTest::newRow("full colour detail") << true;
}

void SavedLookTest::tooltipsGiveSavedSizes()
{
    QFETCH(bool, fullColour);
    auto dialogs = std::make_shared<ScriptedDialogs>();
    frmMain window(dialogs);
    window.document().loadPortrait(patternImage(48, 56));
    window.asSaved().refreshSizes();
    const QString tipAt85 = window.panel().optHigh->toolTip();
    if (fullColour) {
        // The sizes follow the option at once, without waiting for a portrait change.
        window.panel().chkFullColour->click();
        QVERIFY(window.state().FullColourDetail);
        QVERIFY(window.panel().optHigh->toolTip() != tipAt85);
    }
    const std::pair<QRadioButton*, int> levels[] = {{window.panel().optPerfect, 100},
                                                    {window.panel().optHigh, 85},
                                                    {window.panel().optMed, 70},
                                                    {window.panel().optLow, 55}};
    qint64 previous = std::numeric_limits<qint64>::max();
    for (const auto& [option, quality] : levels) {
        option->click();
        const QString path = tempPath(QStringLiteral("tip-%1-%2.jpg").arg(quality).arg(fullColour));
        dialogs->fileAnswers.enqueue(path);
        window.SavePortrait();
        const qint64 bytes = QFileInfo(path).size();
        QVERIFY(bytes > 0);
        QCOMPARE(option->toolTip(), AsSavedPreview::sizeTip(quality, bytes));
        QVERIFY2(option->toolTip().contains(QString::number(bytes)), qPrintable(option->toolTip()));
        QVERIFY(bytes < previous); // lower quality, smaller file for this busy picture
        previous = bytes;
    }
    // The option captions stay as they were.
    QCOMPARE(window.panel().optHigh->text(), QStringLiteral("High       (85%)"));
}

void SavedLookTest::tooltipAnswersBeforeAnyChange()
{
    // Nothing sizes the levels at start; the first tooltip asked for does.
    frmMain window(std::make_shared<ScriptedDialogs>());
    QRadioButton* option = window.panel().optHigh;
    QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), option->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(option, &ask);
    SavedLook look;
    QCOMPARE(option->toolTip(),
             AsSavedPreview::sizeTip(85, look.size(window.document().picPreview().image(), 85)));
}

void SavedLookTest::tooltipsFollowChangesAfterDelay()
{
    frmMain window(std::make_shared<ScriptedDialogs>());
    window.document().newPortrait(0);
    window.asSaved().refreshSizes();
    const QString flat = window.panel().optLow->toolTip();
    window.document().loadPortrait(patternImage(48, 56));
    // Not at once: changes come on every brush move.
    QCOMPARE(window.panel().optLow->toolTip(), flat);
    QVERIFY(window.asSaved().sizeTimer()->isActive());
    SavedLook look;
    const QString expected =
        AsSavedPreview::sizeTip(55, look.size(window.document().picPreview().image(), 55));
    QVERIFY(expected != flat);
    QTRY_COMPARE_WITH_TIMEOUT(window.panel().optLow->toolTip(), expected, 3000);
}

QTEST_MAIN(SavedLookTest)
#include "tst_savedlook.moc"
