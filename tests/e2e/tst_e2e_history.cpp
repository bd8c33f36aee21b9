#include "support/X11Session.h"
#include "tools/PaintingTools.h"

#include <QtTest>

// A fast drag in the real window paints an unbroken line, and Ctrl+Z takes the
// whole stroke back.
class HistoryE2E : public QObject {
    Q_OBJECT
private slots:
    void fastDragPaintsUnbrokenLineAndUndoRemovesIt();
};

void HistoryE2E::fastDragPaintsUnbrokenLineAndUndoRemovesIt()
{
    X11Session session;
    QVERIFY(session.start());
    const QString id = session.waitForWindow("Pictoria");
    QVERIFY(!id.isEmpty());
    const QRect client = session.geometry(id);
    session.setWindow(id);
    session.focus(id);
    auto centre = [&](QPoint cell) {
        return client.topLeft() + QPoint(250 + cell.x() * 8 + 4, 30 + cell.y() * 8 + 4);
    };
    auto cellIs = [&](const QImage& shot, QPoint cell) { return shot.pixel(centre(cell)) & 0xFFFFFF; };

    const QPoint from(3, 4), to(40, 47);
    session.moveTo(centre(from).x(), centre(from).y());
    session.press(1);
    session.moveTo(centre(to).x(), centre(to).y()); // one jump: no positions in between
    session.release(1);
    session.moveTo(client.x() + 620, client.y() + 10);
    QImage shot = session.syncedScreenshot();
    const QRgb white = qRgb(255, 255, 255) & 0xFFFFFF;
    QCOMPARE(cellIs(shot, from), white);
    for (const QPoint cell : PaintingTools::segmentCells(from, to))
        QVERIFY2(cellIs(shot, cell) == white,
                 qPrintable(QString("gap at %1,%2").arg(cell.x()).arg(cell.y())));

    session.key("ctrl+z");
    shot = session.syncedScreenshot();
    QCOMPARE(cellIs(shot, from), QRgb(0));
    for (const QPoint cell : PaintingTools::segmentCells(from, to))
        QCOMPARE(cellIs(shot, cell), QRgb(0));
    session.stop();
}

QTEST_GUILESS_MAIN(HistoryE2E)
#include "tst_e2e_history.moc"
