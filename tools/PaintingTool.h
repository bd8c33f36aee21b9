#pragma once

#include "platform/Colour.h"

#include <QList>
#include <QPoint>

class PortraitDocument;
class ToolEnvironment;
struct EditingState;

// One step of a press-and-drag as a tool sees it.
struct ToolStep {
    int Button = 0;
    int Shift = 0;
    QPoint cell;            // the pointer's cell; it may lie off the portrait
    QList<QPoint> cells;    // the cells passed since the previous step, ending with the pointer's
    bool pressing = false;  // the step the press itself runs
    Colour cursorColor = 0; // the colour read under the pointer
};

// What a tool works on: the portrait, the shared editing state and the window around them.
struct ToolContext {
    PortraitDocument& document;
    EditingState& state;
    ToolEnvironment& env;
};

class PaintingTool {
public:
    virtual ~PaintingTool() = default;
    virtual void step(const ToolStep& step, ToolContext& context) = 0;
    // The press that started the stroke was released.
    virtual void strokeEnded() {}
};

// A tool that works on every portrait cell the stroke passes, each with the colour under it.
class CellTool : public PaintingTool {
public:
    void step(const ToolStep& step, ToolContext& context) final;

protected:
    virtual void paintCell(int Button, QPoint cell, Colour under, ToolContext& context) = 0;
};
