#include "controls/ButtonColours.h"

#include "controls/ButtonTypes.h"
#include "platform/SystemColor.h"

#include <algorithm>
#include <cstdlib>

Colour ShadeColor(Colour colour, int amount, bool scaleBlue, bool avoidBlackWhite, bool invert)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        int red = int(colour & 0xFF) + amount;
        int green = int((colour >> 8) & 0xFF) + amount;
        const int b = int((colour >> 16) & 0xFF);
        int blue = scaleBlue ? b + (amount * b) / 192 : b + amount; // C++ division truncates towards zero
        red = std::clamp(red, 0, 255);
        green = std::clamp(green, 0, 255);
        blue = std::clamp(blue, 0, 255);
        if (invert) {
            red = std::abs(255 - red);
            green = std::abs(255 - green);
            blue = std::abs(255 - blue);
        }
        const Colour result = Colour(red) + Colour(green) * 256u + Colour(blue) * 65536u;
        if (!avoidBlackWhite || (result != 0 && result != 0xFFFFFF))
            return result;
        // Retried with the opposite amount; a third attempt can only follow an amount of
        // 0 turned into 64 and back, so the loop is bounded.
        amount = amount == 0 ? 64 : -amount;
    }
    return ShadeColor(colour, amount, scaleBlue, false, invert);
}

DerivedColours deriveColours(int buttonStyle, Colour backColor, Colour hoverBackColor)
{
    DerivedColours d;
    d.face = d.shadow = SystemColorToRgb(backColor);
    d.hoverFace = SystemColorToRgb(hoverBackColor);
    switch (buttonStyle) {
    case kuButtons::ShadedRounded:
        d.face = ShadeColor(d.face, 31);
        d.shadow = ShadeColor(0x808080, -16);
        d.hoverFace = ShadeColor(d.hoverFace, 31);
        d.light = ShadeColor(0x808080, 16, true);
        break;
    case kuButtons::BrightRounded:
        d.face = ShadeColor(d.face, 48, true);
        d.shadow = ShadeColor(d.face, -32, true);
        d.hoverFace = ShadeColor(d.hoverFace, 48, true);
        d.light = ShadeColor(0xFFFFFF, -32, true);
        break;
    case kuButtons::GreyFramed:
        d.shadow = ShadeColor(0x808080, 12);
        d.light = ShadeColor(d.shadow, 31);
        break;
    default:
        d.light = ShadeColor(0xFFFFFF, -32);
        break;
    }
    return d;
}

QList<Colour> gradientTable(Colour start, Colour end, int count)
{
    QList<Colour> table;
    if (count <= 0)
        return table;
    table.reserve(count);
    const int s[3] = {redOf(start), greenOf(start), blueOf(start)};
    const int e[3] = {redOf(end), greenOf(end), blueOf(end)};
    for (int k = 0; k < count; ++k) {
        int c[3];
        for (int ch = 0; ch < 3; ++ch) {
            if (count == 1) {
                c[ch] = s[ch];
                continue;
            }
            // Channels stay within 0..255, so the running value is never negative and
            // truncation is the floor.
            const long long num =
                static_cast<long long>(s[ch]) * (count - 1) + static_cast<long long>(e[ch] - s[ch]) * k;
            c[ch] = std::clamp(int(num / (count - 1)), 0, 255);
        }
        table.append(RGBColour(c[0], c[1], c[2]));
    }
    return table;
}

GradientBands gradientBands(int span, int screenSpan)
{
    if (span <= 0)
        return {};
    if (screenSpan / span < 4)
        return {std::max(1, span / 2), 2};
    return {span, 1};
}
