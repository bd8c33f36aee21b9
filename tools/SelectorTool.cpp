#include "tools/SelectorTool.h"

#include "document/PortraitGeometry.h"
#include "platform/PictureBox.h"
#include "platform/Surface.h"
#include "tools/ToolEnvironment.h"

void SelectorTool::step(const ToolStep& step, ToolContext& context)
{
    if (!Portrait::isCell(step.cell.x(), step.cell.y()))
        return;
    context.env.setViewCursor(ToolEnvironment::ViewCursor::Eyedropper);
    using Well = ToolEnvironment::Well;
    const bool left = step.Button == MouseButton::Left;
    const bool modified = step.Shift != 0;
    const Well well = left ? (modified ? Well::Replace1 : Well::Foreground)
                           : (modified ? Well::Replace2 : Well::Background);
    context.env.pickColour(well, step.cursorColor);
}
