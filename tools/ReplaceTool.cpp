#include "tools/ReplaceTool.h"

#include "canvas/ColourReduction.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "platform/PictureBox.h"
#include "tools/ToolEnvironment.h"

void ReplaceTool::paintCell(int Button, QPoint cell, Colour under, ToolContext& context)
{
    const EditingState& state = context.state;
    const bool left = Button == MouseButton::Left;
    Colour find, put;
    if (context.env.useForegroundBackgroundForReplace()) {
        find = left ? state.BGColor : state.FGColor;
        put = left ? state.FGColor : state.BGColor;
    } else {
        find = left ? state.R2Color : state.R1Color;
        put = left ? state.R1Color : state.R2Color;
    }
    if (ColourReduction::within(under, find, state.Tolerance))
        context.document.setCell(cell.x(), cell.y(), put);
}
