#pragma once

#include "platform/Colour.h"

#include <QList>

// Colour arithmetic of the button control. All results are plain RGB (0x00BBGGRR).

// The fixed colours the styles and face parts draw with.
namespace PlainColour {
inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour Black = 0x000000;
inline constexpr Colour Grey = 0x808080;
} // namespace PlainColour

// Adds amount to each channel (blue optionally scaled by its own size), clamps to
// 0..255, optionally inverts; with avoidBlackWhite a result of pure black or white is
// retried with the amount negated (0 becomes 64).
Colour ShadeColor(Colour colour, int amount, bool scaleBlue = false, bool avoidBlackWhite = false,
                  bool invert = false);

// The colours a painter works with, derived from BackColor and the hover back colour.
struct DerivedColours {
    Colour face = 0;
    Colour shadow = 0;
    Colour hoverFace = 0;
    Colour light = 0;
    friend bool operator==(const DerivedColours&, const DerivedColours&) = default;
};

// backColor and hoverBackColor may be system colours; they are resolved first.
DerivedColours deriveColours(int buttonStyle, Colour backColor, Colour hoverBackColor);

// The colour of each band of a gradient from start to end in count steps. Entry k is
// start + (end - start) * k / (count - 1) per channel, truncated; computed exactly so
// the last band is the end colour.
QList<Colour> gradientTable(Colour start, Colour end, int count);

// Number of bands and their size for a gradient over span pixels on a screen of
// screenSpan pixels in the same direction: 1-pixel bands, or 2-pixel bands when the
// button covers more than a quarter of the screen.
struct GradientBands {
    int count = 0;
    int size = 1;
};
GradientBands gradientBands(int span, int screenSpan);
