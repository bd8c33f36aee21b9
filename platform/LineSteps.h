#pragma once

#include <QPoint>
#include <cstdlib>

// The pixels of the line from `from` to `to` (Bresenham), in order: `from` first, `to`
// left out, so that lines drawn end to end paint each joint once. A line of no length
// visits nothing.
template <typename Visit> void forEachLineStep(QPoint from, QPoint to, Visit&& visit)
{
    const int dx = std::abs(to.x() - from.x()), sx = from.x() < to.x() ? 1 : -1;
    const int dy = -std::abs(to.y() - from.y()), sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    QPoint p = from;
    while (p != to) {
        visit(p);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
}
