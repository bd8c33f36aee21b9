#include "tools/BrushTool.h"

#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "platform/PictureBox.h"

void BrushTool::paintCell(int Button, QPoint cell, Colour, ToolContext& context)
{
    if (Button == MouseButton::Left)
        context.document.setCell(cell.x(), cell.y(), context.state.FGColor);
    else if (Button == MouseButton::Right)
        context.document.setCell(cell.x(), cell.y(), context.state.BGColor);
}
