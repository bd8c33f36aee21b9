#pragma once

#include "controls/ButtonEdges.h"
#include "controls/ButtonFaceParts.h"

struct ButtonState;

// How deep the caption sits (0 raised, 1 shown as default, 2 pressed, 3 on) and its
// colour (ButtonEdges::None: the fore colour).
struct ButtonLook {
    int depth = 0;
    qint64 caption = ButtonEdges::None;
};

// What one drawing style decides; the common pass in ButtonPainter runs the rest.
struct ButtonStyleEntry {
    // The face colour before hovering changes it.
    Colour (*face)(const ButtonState& s);
    // The far end of a gradient.
    Colour (*gradientEnd)(const ButtonState& s);
    ButtonLook (*look)(const ButtonState& s, Colour face, const ButtonBackground& bg);
    // The edge colours, from the style's face, the colour actually filled and the depth.
    ButtonEdges::Table (*edges)(const ButtonState& s, Colour face, Colour fill, int depth);
    // Pixels the style sets after its edges (corners, a dotted rim); may be null.
    void (*finish)(ButtonCanvas& cv, const ButtonState& s, const ButtonEdges::Table& t, Colour fill);
    // The focus line is always solid; otherwise only while the button is on.
    bool solidFocus;
};

// The eight drawing styles, by their ButtonStyle value.
class ButtonStyles {
public:
    // Values out of range draw as Bevel3D.
    static const ButtonStyleEntry& entry(int buttonStyle);
};
