#pragma once

#include "platform/Colour.h"

#include <QPalette>

// Windows system colour indices as stored in colour values with the top bit set.
namespace SystemColourIndex {
inline constexpr int Window = 5;
inline constexpr int WindowText = 8;
inline constexpr int Highlight = 13;
inline constexpr int HighlightText = 14;
inline constexpr int ButtonFace = 15;
inline constexpr int ButtonShadow = 16;
inline constexpr int GrayText = 17;
inline constexpr int ButtonText = 18;
inline constexpr int ButtonHighlight = 20;
inline constexpr int DarkShadow = 21;
inline constexpr int Light = 22;
inline constexpr int InfoText = 23;
inline constexpr int InfoBackground = 24;
} // namespace SystemColourIndex

constexpr Colour SystemColour(int index)
{
    return SystemColourFlag | Colour(index & 0xFF);
}
constexpr bool isSystemColour(Colour c)
{
    return (c & SystemColourFlag) != 0;
}

// Replaces a system colour by the palette colour its index stands for; any other
// value comes back unchanged.
Colour SystemColorToRgb(Colour c, const QPalette& palette);
Colour SystemColorToRgb(Colour c);
