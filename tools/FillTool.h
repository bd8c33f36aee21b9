#pragma once

#include "tools/PaintingTool.h"

class Surface;

// Fills the area around the pressed cell with the foreground (left) or background (right)
// colour, once per press.
class FillTool : public PaintingTool {
public:
    void step(const ToolStep& step, ToolContext& context) override;

    // The cells Fill changes from (x, y): the 4-connected cells whose colour differs from
    // that cell's by at most the tolerance in each channel (0: exactly its colour).
    static QList<QPoint> region(const Surface& store, int x, int y, int tolerance = 0);
};
