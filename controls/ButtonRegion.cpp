#include "controls/ButtonRegion.h"

#include "controls/ButtonTypes.h"
#include "controls/PictureCache.h"

#include <QPolygon>
#include <cmath>

using namespace kuButtons;

namespace ButtonRegion {

int diagonalWidth(int width, int height)
{
    const int slant = height + 1;
    while (width - slant <= 4)
        width += 5;
    return width;
}

QSize customShapeSize(QSize client, QSize picture)
{
    if (picture.width() <= 0 || picture.height() <= 0 || client.width() <= 0 || client.height() <= 0)
        return client;
    const double scale =
        std::min(double(client.width()) / picture.width(), double(client.height()) / picture.height());
    return QSize(std::max(1, int(std::lround(picture.width() * scale))),
                 std::max(1, int(std::lround(picture.height() * scale))));
}

QRegion eroded(const QRegion& region, int n)
{
    QRegion r = region;
    for (int i = 0; i < n; ++i)
        r = r & r.translated(1, 0) & r.translated(-1, 0) & r.translated(0, 1) & r.translated(0, -1);
    return r;
}

QRegion borderOf(const QRegion& region)
{
    return region - eroded(region, 1);
}

namespace {

QRegion pixels(std::initializer_list<QPoint> points)
{
    QRegion r;
    for (const QPoint& p : points)
        r += QRect(p, QSize(1, 1));
    return r;
}

// Corner trimming by style. Styles 2 and 7 are cut with small triangles, and
// styles 1 and 3 with single pixels; corners on a slanted side do not exist and are
// left alone.
QRegion cornerCuts(int style, bool enabled, int W, int H, bool leftSlanted, bool rightSlanted)
{
    QRegion cut;
    const bool triangles = style == BrightRounded || style == ShadedRounded;
    const bool singles = style == SoftBevel || (style == GreyFramed && enabled);
    if (!triangles && !singles)
        return cut;
    if (!leftSlanted) {
        if (triangles)
            cut += pixels({{0, 0},
                           {1, 0},
                           {0, 1},
                           {0, H - 1},
                           {1, H - 1},
                           {2, H - 1},
                           {0, H - 2},
                           {1, H - 2},
                           {0, H - 3}});
        else
            cut += pixels({{0, 0}, {0, H - 1}});
    }
    if (!rightSlanted) {
        if (triangles)
            cut += pixels({{W - 1, 0},
                           {W - 2, 0},
                           {W - 1, 1},
                           {W - 1, H - 1},
                           {W - 2, H - 1},
                           {W - 3, H - 1},
                           {W - 1, H - 2},
                           {W - 2, H - 2},
                           {W - 1, H - 3}});
        else
            cut += pixels({{W - 1, 0}, {W - 1, H - 1}});
    }
    return cut;
}

} // namespace

ButtonGeometry BuildRegion(int shape, int style, bool enabled, int W, int H, const PictureCache* customCache)
{
    ButtonGeometry g;
    g.leftInset = 0;
    g.rightLimit = W;
    if (W <= 0 || H <= 0)
        return g;

    if (isRectangularFamily(shape)) {
        const bool dl = shape == DiagonalLeft || shape == DiagonalBoth;
        const bool dr = shape == DiagonalRight || shape == DiagonalBoth;
        const int slant = H + 1;
        QPolygon poly;
        poly << QPoint(0, 0) << QPoint(dl ? slant : 0, H + 1) << QPoint(W + 1, H + 1)
             << QPoint(dr ? W - slant + 1 : W + 1, 0);
        QRegion r = (dl || dr) ? QRegion(poly, Qt::WindingFill) : QRegion(0, 0, W + 1, H + 1);
        if (dl)
            g.leftInset = slant;
        if (dr)
            g.rightLimit = W - slant;
        r -= cornerCuts(style, enabled, W, H, dl, dr);
        r &= QRegion(0, 0, W, H);
        if (r != QRegion(0, 0, W, H))
            g.window = r;
        return g;
    }

    if (isOval(shape)) {
        g.window = QRegion(0, 0, W, H, QRegion::Ellipse);
        g.outerClip = QRegion(1, 1, W - 2, H - 2, QRegion::Ellipse);
        g.innerClip = QRegion(2, 2, W - 4, H - 4, QRegion::Ellipse);
        return g;
    }

    // Custom shapes take the outline of the picture's opaque part.
    if (!customCache || customCache->isNull())
        return g;
    QRegion r(0, 0, W, H);
    r -= customCache->transparentRegion();
    g.window = r;
    g.outerClip = eroded(r, 1);
    g.innerClip = eroded(r, 2);
    return g;
}

} // namespace ButtonRegion
