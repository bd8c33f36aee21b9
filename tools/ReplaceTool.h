#pragma once

#include "tools/PaintingTool.h"

// Puts one colour where the other one is (within the tolerance): the replace colours, or the
// foreground and background colours when the window says so; the right button swaps the two.
class ReplaceTool : public CellTool {
protected:
    void paintCell(int Button, QPoint cell, Colour under, ToolContext& context) override;
};
