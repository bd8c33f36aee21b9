#include "tools/GammaTool.h"

#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "platform/PictureBox.h"

#include <algorithm>

void GammaTool::paintCell(int Button, QPoint cell, Colour under, ToolContext& context)
{
    if (m_lastCell == cell)
        return;
    const ColorParts parts = SplitColor(under);
    const int step = context.state.GammaStep;
    const int d = Button == MouseButton::Left ? step : Button == MouseButton::Right ? -step : 0;
    const int r = std::clamp(parts.R + d, 0, 255);
    const int g = std::clamp(parts.G + d, 0, 255);
    const int b = std::clamp(parts.B + d, 0, 255);
    context.document.setCell(cell.x(), cell.y(), RGBColour(r, g, b));
    m_lastCell = cell;
}
