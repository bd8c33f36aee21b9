#include "support/X11Session.h"

#include <QtTest>

// The RGB popup and the About window as a person sees them in the real window.
class PopupE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void popupOverBlackCell();
    void popupOverWhiteCell();
    void ctrlOnlyOption();
    void aboutWindowOpensAndCloses();

private:
    QPoint view(int x, int y) const { return client.topLeft() + QPoint(250 + x, 30 + y); }
    // The view pixel as it would be without a popup: the portrait under the grid.
    static bool gridAt(int x, int y) { return x % 8 == 0 || y % 8 == 0; }
    // The popup's right edge: the last column of row y in [from, to) that differs from
    // the plain view.
    int popupRight(const QImage& shot, int y, int from, int to, QRgb cell) const
    {
        int last = -1;
        for (int x = from; x < to; ++x) {
            const QRgb plain = gridAt(x, y) ? (qRgb(50, 50, 50) & 0xFFFFFF) : cell;
            if ((shot.pixel(view(x, y)) & 0xFFFFFF) != plain)
                last = x;
        }
        return last;
    }
    void clickAt(QPoint p, int button = 1) const { session.click(p.x(), p.y(), button); }

    X11Session session;
    QString id;
    QRect client;
};

void PopupE2E::initTestCase()
{
    QVERIFY(session.startEditor(&id, &client));
}

void PopupE2E::cleanupTestCase()
{
    session.stop();
}

void PopupE2E::popupOverBlackCell()
{
    session.moveTo(view(100, 50).x(), view(100, 50).y());
    const QImage shot = session.syncedScreenshot();
    // Top-left corner at (108, 58), 88 pixels wide, 21 high.
    QCOMPARE(popupRight(shot, 62, 100, 300, 0), 108 + 87);
    QVERIFY((shot.pixel(view(107, 62)) & 0xFFFFFF) == 0 || gridAt(107, 62));
    QVERIFY((shot.pixel(view(150, 58)) & 0xFFFFFF) != 0);
    QVERIFY((shot.pixel(view(150, 58 + 20)) & 0xFFFFFF) != 0);
    QCOMPARE(popupRight(shot, 58 + 21, 100, 300, 0), -1);
}

void PopupE2E::popupOverWhiteCell()
{
    // Paint a white block of cells, then rest the pointer on it.
    clickAt(view(100, 50));
    session.moveTo(view(101, 51).x(), view(101, 51).y());
    const QImage shot = session.syncedScreenshot();
    QCOMPARE(popupRight(shot, 64, 110, 330, 0), 109 + 129); // 130 wide at x = 109
}

void PopupE2E::ctrlOnlyOption()
{
    clickAt(client.topLeft() + QPoint(4 + 12 + 6, 388 + 36 + 8)); // "Show RGB Popup Only With CTRL"
    session.moveTo(view(200, 200).x(), view(200, 200).y());
    QImage shot = session.syncedScreenshot();
    QCOMPARE(popupRight(shot, 214, 200, 383, 0), -1);
    session.click(view(200, 200).x(), view(200, 200).y(), 2); // focus the view, paint black
    session.moveTo(view(201, 200).x(), view(201, 200).y());
    session.keyDown("Control_L");
    shot = session.syncedScreenshot();
    session.keyUp("Control_L");
    QCOMPARE(popupRight(shot, 214, 200, 383, 0), 209 + 87);
}

void PopupE2E::aboutWindowOpensAndCloses()
{
    session.clickToolbarButton(client, 13);
    const QString about = session.waitForWindow("About Pictoria");
    QVERIFY2(!about.isEmpty(), "the About window did not open");
    QCOMPARE(session.geometry(about).size(), QSize(312, 213));
    const QImage shot = session.syncedScreenshot(about);
    shot.save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-about.png"));
    const QRect r = session.geometry(about);
    // The background runs from nearly white at the top to blue at the bottom.
    const QColor top = QColor(shot.pixel(r.x() + 3, r.y() + 1));
    const QColor bottom = QColor(shot.pixel(r.x() + 3, r.bottom() - 1));
    QVERIFY(top.lightness() > 200);
    QVERIFY(bottom.blue() > bottom.red() + 60);
    session.key("Escape");
    QVERIFY(session.waitForWindowGone(about));
    QVERIFY(session.isRunning());
}

QTEST_GUILESS_MAIN(PopupE2E)
#include "tst_e2e_popup.moc"
