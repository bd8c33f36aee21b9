#include "tools/BrushTool.h"

#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "platform/PictureBox.h"

void BrushTool::paintCell(int Button, QPoint cell, Colour, ToolContext& context)
{
    if (Button == MouseButton::Left)
        context.canvas.commitCell(cell.x(), cell.y(), context.state.FGColor);
    else if (Button == MouseButton::Right)
        context.canvas.commitCell(cell.x(), cell.y(), context.state.BGColor);
}
