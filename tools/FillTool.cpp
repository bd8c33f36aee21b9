#include "tools/FillTool.h"

#include "canvas/ColourReduction.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "document/PortraitGeometry.h"
#include "platform/PictureBox.h"

#include <vector>

void FillTool::step(const ToolStep& step, ToolContext& context)
{
    const int px = step.cell.x(), py = step.cell.y();
    if (!step.pressing || !Portrait::isCell(px, py))
        return;
    Colour c;
    if (step.Button == MouseButton::Left)
        c = context.state.FGColor;
    else if (step.Button == MouseButton::Right)
        c = context.state.BGColor;
    else
        return;
    const Surface& preview = context.document.picPreview();
    QList<QPoint> cells = region(preview, px, py, context.state.Tolerance);
    cells.removeIf([&](QPoint p) { return preview.pixel(p.x(), p.y()) == c; });
    context.document.setCells(cells, c); // nothing at all when every cell has the colour already
}

QList<QPoint> FillTool::region(const Surface& store, int x, int y, int tolerance)
{
    QList<QPoint> region;
    const Colour target = store.pixel(x, y);
    if (target == InvalidColour)
        return region;
    std::vector<bool> seen(std::size_t(store.width() * store.height()), false);
    QList<QPoint> pending{QPoint(x, y)};
    seen[std::size_t(y * store.width() + x)] = true;
    while (!pending.isEmpty()) {
        const QPoint p = pending.takeLast();
        region << p;
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint n = p + step;
            const Colour there = store.pixel(n.x(), n.y());
            if (there == InvalidColour || !ColourReduction::within(there, target, tolerance))
                continue; // also stops at the edge, where the read fails
            auto&& mark = seen[std::size_t(n.y() * store.width() + n.x())];
            if (!mark) {
                mark = true;
                pending << n;
            }
        }
    }
    return region;
}
