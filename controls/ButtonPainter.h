#pragma once

#include "controls/ButtonState.h"

#include <QImage>

// The paint pass of the button: face fill, caption and picture, edge rings and focus
// indicator into a back buffer of the button's size, then the outline some shapes
// frame on the window. Widget-free, so every style and shape can be rendered in tests.
class ButtonPainter {
public:
    struct Result {
        QImage buffer; // the back buffer
        QImage window; // what the window shows: the buffer plus any window outline
        bool drawn = false;
        int frameKind = 0;
    };

    // The 12 edge colours: inner, middle, outer ring, each left, top, right, bottom;
    // -1 means the line is not drawn.
    using EdgeTable = std::array<qint64, 12>;

    static Result RedrawButton(const ButtonState& s);

    // The rings of the rectangular family, drawn with the given insets.
    static void DrawEdges(class ButtonCanvas& canvas, const EdgeTable& table, int leftInset, int rightLimit,
                          int shape);
};
