#pragma once

#include <QColor>
#include <QRgb>
#include <cstdint>

// Colours travel through the program as 0x00BBGGRR values, red in the low byte.
// A value with the top bit set names a system colour (see SystemColor.h); a failed
// pixel read yields InvalidColour (all bits set).
using Colour = std::uint32_t;

inline constexpr Colour InvalidColour = 0xFFFFFFFFu;
inline constexpr Colour SystemColourFlag = 0x80000000u;

constexpr Colour RGBColour(int r, int g, int b)
{
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}

constexpr int redOf(Colour c)
{
    return int(c & 0xFF);
}
constexpr int greenOf(Colour c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int blueOf(Colour c)
{
    return int((c >> 16) & 0xFF);
}

inline QRgb toQRgb(Colour c)
{
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}
inline Colour fromQRgb(QRgb v)
{
    return RGBColour(qRed(v), qGreen(v), qBlue(v));
}
inline QColor toQColor(Colour c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}
inline Colour fromQColor(const QColor& c)
{
    return RGBColour(c.red(), c.green(), c.blue());
}

// The red, green and blue parts of a colour as signed integers.
struct ColorParts {
    std::int32_t R = 0;
    std::int32_t G = 0;
    std::int32_t B = 0;
    friend bool operator==(const ColorParts&, const ColorParts&) = default;
};

// Blue is the value divided by 65536 as a signed number, so the invalid colour
// splits into 255, 255, 0 rather than three 255s.
constexpr ColorParts SplitColor(Colour c)
{
    const auto s = static_cast<std::int32_t>(c);
    return ColorParts{s & 255, (s >> 8) & 255, s / 65536};
}
