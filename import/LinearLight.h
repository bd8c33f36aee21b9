#pragma once

#include <cstdint>

// sRGB levels to linear light and back, through tables. Averaging light means averaging
// linear values: a black-and-white checkerboard seen from afar is sRGB 188, not 128.
// Linear light is held as 0..65535 (16 bits keep every dark level apart).
namespace LinearLight {
inline constexpr double Full = 65535.0;

// The linear value of an sRGB level, 0..65535, rounded.
std::uint16_t fromLevel(int level);
// The table behind fromLevel, for inner loops.
const std::uint16_t* levelTable();
// The sRGB level of a linear value (0..65535, clamped), rounded to the nearest level.
std::uint8_t toLevel(double linear);

// The exact conversions, in 0..1, for references and tables.
double decode(double srgb);
double encode(double linear);
} // namespace LinearLight
