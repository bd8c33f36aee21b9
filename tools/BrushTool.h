#pragma once

#include "tools/PaintingTool.h"

// Paints the foreground colour with the left button and the background colour with the right.
class BrushTool : public CellTool {
protected:
    void paintCell(int Button, QPoint cell, Colour under, ToolContext& context) override;
};
