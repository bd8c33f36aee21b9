// The portrait without any view or widget: every kind of change announces the cells it
// touched, once, after the pixels changed and the history took note of it.
#include "document/PortraitDocument.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace Portrait;

namespace {
constexpr Colour Ink = RGBColour(200, 40, 9);
}

class PortraitDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void changeAnnouncesItsCells_data();
    void changeAnnouncesItsCells();
};

void PortraitDocumentTest::changeAnnouncesItsCells_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("cells");   // announced; a null rectangle for no announcement
    QTest::addColumn<int>("stepsSeen"); // steps in the history when the announcement arrives
    const QRect whole(0, 0, Width, Height);
    QTest::newRow("one cell") << "cell" << QRect(5, 7, 1, 1) << 1;
    QTest::newRow("cells: their bounding rectangle") << "cells" << QRect(2, 1, 9, 20) << 1;
    QTest::newRow("no cells: nothing") << "no cells" << QRect() << 0;
    QTest::newRow("open") << "open" << whole << 1;
    QTest::newRow("new") << "new" << whole << 1;
    QTest::newRow("import") << "import" << whole << 1;
    QTest::newRow("restore") << "restore" << whole << 1;
    QTest::newRow("undo: no new step") << "undo" << whole << 1;
    QTest::newRow("redo: no new step") << "redo" << whole << 1;
    QTest::newRow("inside a transaction: recorded at its end") << "transaction" << QRect(0, 0, 1, 1) << 0;
}

void PortraitDocumentTest::changeAnnouncesItsCells()
{
    QFETCH(QString, kind);
    QFETCH(QRect, cells);
    QFETCH(int, stepsSeen);
    PortraitDocument document;
    if (kind == "undo" || kind == "redo") {
        document.setCell(3, 4, Ink);
        if (kind == "redo")
            document.undo();
    }
    const QImage before = document.picPreview().image().copy();
    QList<QRect> announced;
    QList<int> steps;
    QList<QImage> shown;
    connect(&document, &PortraitDocument::changed, this, [&](const QRect& r) {
        announced.append(r);
        steps.append(document.history().count());
        shown.append(document.picPreview().image().copy());
    });

    const QImage picture = TestSupport::patternImage(200, 150);
    if (kind == "cell")
        document.setCell(5, 7, Ink);
    else if (kind == "cells")
        document.setCells({{2, 3}, {10, 1}, {4, 20}}, Ink);
    else if (kind == "no cells")
        document.setCells({}, Ink);
    else if (kind == "open")
        document.loadPortrait(picture);
    else if (kind == "new")
        document.newPortrait(Ink);
    else if (kind == "import")
        document.importRegion(picture, 150, -10, Ink); // partly outside: background there
    else if (kind == "restore")
        document.restorePortrait(picture.copy(20, 30, Width, Height));
    else if (kind == "undo")
        document.undo();
    else if (kind == "redo")
        document.redo();
    else if (kind == "transaction") {
        document.beginChange();
        document.setCell(0, 0, Ink);
        QVERIFY(document.isModified());
        document.undo(); // refused while the change is open
        QCOMPARE(document.picPreview().pixel(0, 0), Ink);
        document.endChange();
        QCOMPARE(document.history().count(), 1);
    }

    if (cells.isNull()) {
        QVERIFY(announced.isEmpty());
        QCOMPARE(document.picPreview().image(), before);
        return;
    }
    QCOMPARE(announced, QList<QRect>{cells});
    QCOMPARE(steps, QList<int>{stepsSeen});
    // Announced once the pixels are final, and only the announced cells differ.
    QCOMPARE(shown.first(), document.picPreview().image());
    QVERIFY(document.picPreview().image() != before);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (!cells.contains(x, y) && document.picPreview().pixel(x, y) != fromQRgb(before.pixel(x, y)))
                QFAIL(qPrintable(QString("cell %1,%2 changed outside the announcement").arg(x).arg(y)));
}

QTEST_GUILESS_MAIN(PortraitDocumentTest)
#include "tst_portraitdocument.moc"
