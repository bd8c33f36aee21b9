#pragma once

#include "platform/Colour.h"

#include <QRect>
#include <QtGlobal>

class ButtonCanvas;
struct ButtonState;

// What filling the background decided: how deep the button looks (0 raised, 1 shown
// as default, 2 pressed), which frame the window keeps (1 none, 3 outer, 4 inner) and
// the colour the face was filled with.
struct ButtonBackground {
    int depth = 0;
    int frameKind = 0;
    Colour fill = 0;
};

// Where the caption and the picture ended up, after the shift of a pressed button.
struct CaptionPlacement {
    QRect text;
    QRect picture;
};

// The parts of a button face every style draws the same way: the background (plain,
// shaded or gradient, with the frame gradients of the shape's clips), the picture and
// caption, and the focus indicator.
class ButtonFaceParts {
public:
    static ButtonBackground fillBackground(ButtonCanvas& cv, const ButtonState& s, Colour face,
                                           Colour gradientEnd);
    // captionColour < 0: the fore (or hover fore) colour; depth 2 moves the content down.
    static CaptionPlacement drawCaption(ButtonCanvas& cv, const ButtonState& s, Colour face,
                                        qint64 captionColour, int depth);
    // The rectangle (or slanted outline) of a button shown as default; solid lines or
    // inverted dots.
    static void drawFocusIndicator(ButtonCanvas& cv, const ButtonState& s, const CaptionPlacement& placed,
                                   qint64 captionColour, bool solid, Colour face);
};
