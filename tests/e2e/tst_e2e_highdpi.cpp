#include "support/X11Session.h"

#include <QLibrary>
#include <QSet>
#include <QtTest>

// The real window at a device pixel ratio of 2: twice the normal size, every portrait
// cell an exact 16 x 16 block, grid lines and toolbar pictures without smoothing, and a
// pointer drawn at twice its size pixel for pixel.
class HighDpiE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowIsTheDesignLayoutDoubled();
    void paintedCellIsAnExactBlock();
    void toolbarPicturesArePixelDoubled();
    void eyedropperPointerIsPixelDoubled();

private:
    static constexpr int Ratio = 2;
    // Device pixel of the view's drawing area at logical view pixel (x, y).
    QPoint viewDevice(int x, int y) const
    {
        return client.topLeft() + QPoint((250 + x) * Ratio, (30 + y) * Ratio);
    }
    QPoint cellCentre(int x, int y) const { return viewDevice(8 * x + 4, 8 * y + 4); }
    QRgb at(const QImage& shot, QPoint p) const { return shot.pixel(p) & 0xFFFFFF; }
    // Toolbar button n (1-based): 23 logical pixels each, 8 for the separators after 4 and 11.
    int toolbarX(int n) const
    {
        int x = 0;
        for (int i = 1; i < n; ++i)
            x += (i == 5 || i == 12) ? 8 : 23;
        return x;
    }
    void clickToolbar(int n) const
    {
        session.click(client.x() + (toolbarX(n) + 11) * Ratio, client.y() + 11 * Ratio);
    }
    QImage shot() const
    {
        session.moveTo(client.x() + 620 * Ratio, client.y() + 10 * Ratio); // off the view: no popup
        return session.syncedScreenshot();
    }

    X11Session session;
    QString id;
    QRect client;
};

static const QRgb Black = 0;
static const QRgb White = 0xFFFFFF;
static const QRgb Grid = qRgb(50, 50, 50) & 0xFFFFFF;

void HighDpiE2E::initTestCase()
{
    QVERIFY(session.start({}, {QStringLiteral("QT_SCALE_FACTOR=2")}));
    id = session.waitForWindow("Pictoria");
    QVERIFY2(!id.isEmpty(), "no window titled Pictoria appeared");
    client = session.geometry(id);
    session.setWindow(id);
    session.focus(id);
    QVERIFY(session.sync());
}

void HighDpiE2E::cleanupTestCase()
{
    session.stop();
}

void HighDpiE2E::windowIsTheDesignLayoutDoubled()
{
    QCOMPARE(client.size(), QSize(640 * Ratio, 613 * Ratio)); // 520 grown by the "Portrait" frame
    const QImage s = shot();
    QVERIFY(!s.isNull());
    s.copy(client).save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-highdpi.png"));

    // The 384 x 448 view covers exactly 768 x 896 device pixels inside its sunken border:
    // grid at its first pixel, black cell interior at its last, the border just outside.
    QCOMPARE(at(s, viewDevice(0, 0)), Grid);
    QCOMPARE(at(s, viewDevice(0, 0) + QPoint(1, 1)), Grid);
    QCOMPARE(at(s, viewDevice(384, 448) - QPoint(1, 1)), Black);
    // Each of the border's two lines is two device pixels of one colour on every side.
    const QPoint left = viewDevice(0, 100), top = viewDevice(100, 0);
    const QPoint right = viewDevice(384, 100) - QPoint(1, 0), bottom = viewDevice(100, 448) - QPoint(0, 1);
    for (auto [edge, outward] : {std::pair{left, QPoint(-1, 0)}, std::pair{top, QPoint(0, -1)},
                                 std::pair{right, QPoint(1, 0)}, std::pair{bottom, QPoint(0, 1)}}) {
        const QRgb inner = at(s, edge + outward), outer = at(s, edge + outward * 3);
        QCOMPARE(at(s, edge + outward * 2), inner);
        QCOMPARE(at(s, edge + outward * 4), outer);
        QVERIFY(inner != outer);
        QVERIFY(inner != Black && inner != Grid);
        QVERIFY(at(s, edge + outward * 5) != outer);
    }
}

void HighDpiE2E::paintedCellIsAnExactBlock()
{
    clickToolbar(6); // Brush, foreground white
    const QPoint c = cellCentre(5, 7);
    session.click(c.x(), c.y(), 1);
    const QPoint origin = viewDevice(40, 56); // the cell's first device pixel

    // Under the grid: the first two device rows and columns are grid, the rest white,
    // and the next cell starts with grid again; nothing in between.
    QImage s = shot();
    s.copy(client).save(QStringLiteral(PICTORIA_BUILD_DIR "/e2e-highdpi-painted.png"));
    for (int y = -2; y < 18; ++y)
        for (int x = -2; x < 18; ++x) {
            const bool inside = x >= 0 && x < 16 && y >= 0 && y < 16;
            const bool gridLine = (x + 16) % 16 < 2 || (y + 16) % 16 < 2;
            const QRgb want = gridLine ? Grid : inside ? White : Black;
            QVERIFY2(at(s, origin + QPoint(x, y)) == want,
                     qPrintable(QStringLiteral("grid on, device offset %1,%2 is %3")
                                    .arg(x)
                                    .arg(y)
                                    .arg(at(s, origin + QPoint(x, y)), 6, 16, QLatin1Char('0'))));
        }

    // Without the grid the cell is a plain 16 x 16 white block on black.
    clickToolbar(11);
    s = shot();
    for (int y = -3; y < 19; ++y)
        for (int x = -3; x < 19; ++x) {
            const bool inside = x >= 0 && x < 16 && y >= 0 && y < 16;
            QVERIFY2(at(s, origin + QPoint(x, y)) == (inside ? White : Black),
                     qPrintable(QStringLiteral("grid off, device offset %1,%2").arg(x).arg(y)));
        }
    clickToolbar(11);

    // Smoothing would leave blends of white, black and grey anywhere along the edges.
    s = shot();
    QSet<QRgb> colours;
    const QRect view(viewDevice(0, 0), QSize(384 * Ratio, 448 * Ratio));
    for (int y = view.top(); y <= view.bottom(); ++y)
        for (int x = view.left(); x <= view.right(); ++x)
            colours.insert(at(s, {x, y}));
    QCOMPARE(colours, (QSet<QRgb>{Black, White, Grid}));
}

void HighDpiE2E::toolbarPicturesArePixelDoubled()
{
    const QImage s = shot();
    for (auto [n, name] :
         {std::pair{1, "new"}, std::pair{3, "save"}, std::pair{11, "grid"}, std::pair{13, "about"}}) {
        const QImage picture =
            QImage(QStringLiteral(":/toolbar/%1.png").arg(name)).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!picture.isNull());
        // Somewhere in the button the picture must sit with each opaque pixel an exact
        // 2 x 2 block of its own colour.
        const QRect button(client.x() + toolbarX(n) * Ratio, client.y(), 23 * Ratio, 22 * Ratio);
        bool found = false;
        for (int oy = 0; oy + 16 * Ratio <= button.height() && !found; ++oy)
            for (int ox = 0; ox + 16 * Ratio <= button.width() && !found; ++ox) {
                bool match = true;
                for (int y = 0; y < 16 * Ratio && match; ++y)
                    for (int x = 0; x < 16 * Ratio && match; ++x) {
                        const QRgb src = picture.pixel(x / Ratio, y / Ratio);
                        if (qAlpha(src) == 255)
                            match = at(s, button.topLeft() + QPoint(ox + x, oy + y)) == (src & 0xFFFFFF);
                    }
                found = match;
            }
        QVERIFY2(found,
                 qPrintable(QStringLiteral("toolbar picture %1 is not drawn pixel-doubled").arg(name)));
    }
}

namespace {

// What libXfixes reports for the pointer on screen.
struct XFixesCursorImage {
    short x, y;
    unsigned short width, height;
    unsigned short xhot, yhot;
    unsigned long cursor_serial;
    unsigned long* pixels;
    unsigned long atom;
    const char* name;
};

// The pointer image the X server shows, with its hot spot; null when it cannot be read.
QImage currentPointer(QPoint* hotSpot)
{
    QLibrary x11(QStringLiteral("X11"), 6);
    QLibrary xfixes(QStringLiteral("Xfixes"), 3);
    auto openDisplay = reinterpret_cast<void* (*)(const char*)>(x11.resolve("XOpenDisplay"));
    auto closeDisplay = reinterpret_cast<int (*)(void*)>(x11.resolve("XCloseDisplay"));
    auto xfree = reinterpret_cast<int (*)(void*)>(x11.resolve("XFree"));
    auto getImage = reinterpret_cast<XFixesCursorImage* (*)(void*)>(xfixes.resolve("XFixesGetCursorImage"));
    if (!openDisplay || !closeDisplay || !xfree || !getImage)
        return {};
    void* display = openDisplay(nullptr);
    if (!display)
        return {};
    QImage result;
    if (XFixesCursorImage* cursor = getImage(display)) {
        result = QImage(cursor->width, cursor->height, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < cursor->height; ++y)
            for (int x = 0; x < cursor->width; ++x)
                result.setPixel(x, y, QRgb(cursor->pixels[y * cursor->width + x]));
        *hotSpot = QPoint(cursor->xhot, cursor->yhot);
        xfree(cursor);
    }
    closeDisplay(display);
    return result;
}

} // namespace

void HighDpiE2E::eyedropperPointerIsPixelDoubled()
{
    clickToolbar(7); // Grab Color shows the eyedropper over the view
    const QPoint c = cellCentre(30, 30);
    session.moveTo(c.x(), c.y());
    QVERIFY(session.sync());
    QPoint hot;
    const QImage pointer = currentPointer(&hot);
    clickToolbar(6);
    QVERIFY2(!pointer.isNull(), "could not read the pointer image through libXfixes");

    const QImage design = QImage(QStringLiteral(":/cursors/eyedropper.png"))
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(pointer.size(), design.size() * Ratio);
    QCOMPARE(hot, QPoint(9, 23) * Ratio);
    for (int y = 0; y < pointer.height(); ++y)
        for (int x = 0; x < pointer.width(); ++x) {
            const QRgb want = design.pixel(x / Ratio, y / Ratio);
            const QRgb got = pointer.pixel(x, y);
            QVERIFY2(qAlpha(got) == qAlpha(want) && (qAlpha(want) < 255 || got == want),
                     qPrintable(QStringLiteral("pointer pixel %1,%2").arg(x).arg(y)));
        }
}

QTEST_GUILESS_MAIN(HighDpiE2E)
#include "tst_e2e_highdpi.moc"
