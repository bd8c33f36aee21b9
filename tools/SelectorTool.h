#pragma once

#include "tools/PaintingTool.h"

// Grabs the colour under the pointer into a well: left foreground, right background,
// with a modifier the replace colours.
class SelectorTool : public PaintingTool {
public:
    void step(const ToolStep& step, ToolContext& context) override;
};
