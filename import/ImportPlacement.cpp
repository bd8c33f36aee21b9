#include "import/ImportPlacement.h"

#include <algorithm>

namespace ImportPlacement {

namespace {

qint64 overlap(const QRect& a, const QRect& b)
{
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}

// Keeps a coordinate on the screen where the window fits; a window larger than the
// screen starts at its top or left edge.
int clampTo(int v, int low, int length, int screenLength)
{
    return std::max(low, std::min(v, low + screenLength - length));
}

} // namespace

QPoint place(const QRect& screen, const QRect& owner, const QRect& keepVisible, QSize frame)
{
    const int w = frame.width(), h = frame.height();
    auto x = [&](int v) { return clampTo(v, screen.left(), w, screen.width()); };
    auto y = [&](int v) { return clampTo(v, screen.top(), h, screen.height()); };

    // Beside the main window, right first, then left, below and above.
    const QPoint beside[] = {{owner.right() + 1, y(owner.top())},
                             {owner.left() - w, y(owner.top())},
                             {x(owner.left()), owner.bottom() + 1},
                             {x(owner.left()), owner.top() - h}};
    for (const QPoint& p : beside) {
        const QRect r(p, frame);
        if (screen.contains(r))
            return p;
    }

    // Otherwise the least overlap with the view: for rectangles the best place lies on an
    // edge of the screen or against an edge of the view, so those are all tried.
    const int xs[] = {x(screen.left()), x(keepVisible.left() - w), x(keepVisible.right() + 1),
                      x(screen.right() - w + 1)};
    const int ys[] = {y(screen.top()), y(keepVisible.top() - h), y(keepVisible.bottom() + 1),
                      y(screen.bottom() - h + 1)};
    QPoint best(xs[0], ys[0]);
    qint64 least = overlap(QRect(best, frame), keepVisible);
    for (int cx : xs)
        for (int cy : ys) {
            const qint64 o = overlap(QRect(QPoint(cx, cy), frame), keepVisible);
            if (o < least) {
                least = o;
                best = {cx, cy};
            }
        }
    return best;
}

} // namespace ImportPlacement
