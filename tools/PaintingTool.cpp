#include "tools/PaintingTool.h"

#include "document/PortraitDocument.h"
#include "document/PortraitGeometry.h"

void CellTool::step(const ToolStep& step, ToolContext& context)
{
    for (const QPoint c : step.cells) {
        if (!Portrait::isCell(c.x(), c.y()))
            continue;
        // The pointer's own cell uses the colour read under the pointer; the cells
        // passed over use their own.
        const Colour under =
            c == step.cell ? step.cursorColor : context.document.picPreview().pixel(c.x(), c.y());
        paintCell(step.Button, c, under, context);
    }
}
