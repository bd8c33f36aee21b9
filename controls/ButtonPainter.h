#pragma once

#include "controls/ButtonState.h"

#include <QImage>

// The paint pass of the button: face fill, caption and picture, edge rings and focus
// indicator into a back buffer of the button's size, then the outline some shapes
// frame on the window. One common pass runs the style's entry of ButtonStyles.
// Widget-free, so every style and shape can be rendered in tests.
class ButtonPainter {
public:
    struct Result {
        QImage buffer; // the back buffer
        QImage window; // what the window shows: the buffer plus any window outline
        bool drawn = false;
        int frameKind = 0;
    };

    static Result RedrawButton(const ButtonState& s);
};
