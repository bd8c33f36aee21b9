#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "support/TestSupport.h"
#include "tools/PaintingTools.h"
#include "tools/ToolEnvironment.h"

#include <QApplication>
#include <QtTest>

namespace {
class QuietEnvironment : public ToolEnvironment {
public:
    void showCell(const QString&) override {}
    void showColour(const QPixmap&, const QString&, const QString&) override {}
    bool useForegroundBackgroundForReplace() const override { return false; }
    void setViewCursor(ViewCursor) override {}
    void pickColour(Well, Colour) override {}
    void popupStep(int, float, float) override {}
    void redrawPopup() override {}
};
constexpr Colour White = RGBColour(255, 255, 255);
} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void strokeIsOneStep();
    void everyKindOfChangeUndoesAndRedoes_data();
    void everyKindOfChangeUndoesAndRedoes();
    void unchangedPortraitRecordsNothing();
    void historyKeepsTheNewestThousandSteps();
    void newChangeAfterUndoDropsTheRedo();

private:
    void verifyInStep()
    {
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 48; ++x) {
                const Colour c = document->picPreview().pixel(x, y);
                QCOMPARE(canvas->picBackBuffer().pixel(x * 8 + 3, y * 8 + 5), c);
                QCOMPARE(canvas->picFace().pixel(x * 8 + 3, y * 8 + 5), c);
            }
    }

    std::unique_ptr<PortraitDocument> document;
    std::unique_ptr<PortraitCanvas> canvas;
    EditingState state;
    QuietEnvironment env;
    std::unique_ptr<PaintingTools> tools;
};

void HistoryTest::init()
{
    canvas.reset();
    document = std::make_unique<PortraitDocument>();
    canvas = std::make_unique<PortraitCanvas>(*document);
    canvas->setGridSource([] { return true; });
    canvas->DrawGrid();
    state = EditingState{};
    tools = std::make_unique<PaintingTools>(*document, *canvas, state, env);
}

void HistoryTest::strokeIsOneStep()
{
    tools->picFace_MouseDown(1, 0, 4, 4);
    tools->picFace_MouseMove(1, 0, 60, 4);
    tools->picFace_MouseMove(1, 0, 60, 100);
    QCOMPARE(document->history().count(), 0); // nothing recorded until the release
    tools->picFace_MouseUp(1, 0, 60, 100);
    QCOMPARE(document->history().count(), 1);
    QCOMPARE(document->picPreview().pixel(7, 12), White);
    document->history().undo();
    QCOMPARE(document->picPreview().pixel(0, 0), Colour(0));
    QCOMPARE(document->picPreview().pixel(7, 12), Colour(0));
    verifyInStep();
    document->history().redo();
    QCOMPARE(document->picPreview().pixel(0, 0), White);
    QCOMPARE(document->picPreview().pixel(7, 12), White);
    verifyInStep();
}

void HistoryTest::everyKindOfChangeUndoesAndRedoes_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"fill", "new", "open", "import", "gamma stroke"})
        QTest::newRow(kind) << QString(kind);
}

void HistoryTest::everyKindOfChangeUndoesAndRedoes()
{
    QFETCH(QString, kind);
    document->setCell(3, 3, RGBColour(9, 9, 9));
    const QImage before = document->picPreview().image().copy();
    const int steps = document->history().count();
    if (kind == "fill") {
        state.CurrentTool = "Fill";
        tools->picFace_MouseDown(1, 0, 100, 100);
        tools->picFace_MouseUp(1, 0, 100, 100);
    } else if (kind == "new") {
        document->newPortrait(RGBColour(0, 0, 200));
    } else if (kind == "open") {
        document->loadPortrait(TestSupport::patternImage(48, 56));
    } else if (kind == "import") {
        // A whole import, however many drag steps, is one change.
        document->beginChange();
        for (int dx = 0; dx < 5; ++dx) {
            document->importRegion(TestSupport::patternImage(200, 150), dx, 0, 0);
        }
        document->endChange();
    } else {
        state.CurrentTool = "Gamma";
        tools->picFace_MouseDown(1, 0, 26, 26);
        tools->picFace_MouseMove(1, 0, 90, 26);
        tools->picFace_MouseUp(1, 0, 90, 26);
    }
    QCOMPARE(document->history().count(), steps + 1);
    const QImage after = document->picPreview().image().copy();
    QVERIFY(after != before);
    document->history().undo();
    QCOMPARE(document->picPreview().image(), before);
    verifyInStep();
    document->history().redo();
    QCOMPARE(document->picPreview().image(), after);
    verifyInStep();
}

void HistoryTest::unchangedPortraitRecordsNothing()
{
    state.FGColor = 0; // painting black on black
    tools->picFace_MouseDown(1, 0, 4, 4);
    tools->picFace_MouseUp(1, 0, 4, 4);
    document->newPortrait(0);
    QCOMPARE(document->history().count(), 0);
}

void HistoryTest::historyKeepsTheNewestThousandSteps()
{
    for (int i = 0; i < PortraitDocument::HistoryLimit + 5; ++i)
        document->setCell(i % 48, (i / 48) % 56, RGBColour(i & 255, (i >> 8) & 255, 1));
    QCOMPARE(document->history().count(), PortraitDocument::HistoryLimit);
    while (document->history().canUndo())
        document->history().undo();
    // The five oldest steps are gone: their cells keep the colours they were given.
    for (int i = 0; i < 5; ++i)
        QCOMPARE(document->picPreview().pixel(i, 0), RGBColour(i, 0, 1));
    QCOMPARE(document->picPreview().pixel(5, 0), Colour(0));
    verifyInStep();
}

void HistoryTest::newChangeAfterUndoDropsTheRedo()
{
    document->setCell(0, 0, White);
    document->setCell(1, 0, White);
    document->history().undo();
    document->setCell(2, 0, White);
    QVERIFY(!document->history().canRedo());
    QCOMPARE(document->picPreview().pixel(1, 0), Colour(0));
    document->history().undo();
    QCOMPARE(document->picPreview().pixel(2, 0), Colour(0));
    QCOMPARE(document->picPreview().pixel(0, 0), White);
}

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
