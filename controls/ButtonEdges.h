#pragma once

#include "platform/Colour.h"

#include <QtGlobal>
#include <array>

class ButtonCanvas;

// The three edge rings of the rectangular family (inner, middle, outer), each with a
// left, top, right and bottom line.
class ButtonEdges {
public:
    // The 12 edge colours: inner, middle, outer ring, each left, top, right, bottom;
    // None means the line is not drawn.
    using Table = std::array<qint64, 12>;
    static constexpr qint64 None = -1;
    enum Ring { Inner = 0, Middle = 1, Outer = 2 };

    // A table that draws nothing.
    static Table none();
    // Sets one ring: leftTop for its left and top lines, rightBottom for the others.
    static void ring(Table& t, Ring r, qint64 leftTop, qint64 rightBottom);
    // The outer ring's bottom line, which the window outline of some shapes takes up.
    static qint64 outerBottom(const Table& t) { return t[Outer * 4 + 3]; }

    // Draws the rings with the given insets (leftInset and rightLimit come from the
    // shape's region; diagonal shapes slant the sides).
    static void draw(ButtonCanvas& canvas, const Table& t, int leftInset, int rightLimit, int shape);
};
