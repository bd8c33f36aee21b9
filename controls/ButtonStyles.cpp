#include "controls/ButtonStyles.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonColours.h"
#include "controls/ButtonState.h"
#include "platform/SystemColor.h"

using namespace kuButtons;

using namespace PlainColour;

namespace {

constexpr qint64 None = ButtonEdges::None;
using Table = ButtonEdges::Table;
constexpr auto Inner = ButtonEdges::Inner;
constexpr auto Middle = ButtonEdges::Middle;
constexpr auto Outer = ButtonEdges::Outer;

void ring(Table& t, ButtonEdges::Ring r, qint64 leftTop, qint64 rightBottom)
{
    ButtonEdges::ring(t, r, leftTop, rightBottom);
}

bool sunken(const ButtonState& s)
{
    return s.pressedAndOver() || s.value;
}

// A check box or option button that is on shows the light face.
Colour onFace(const ButtonState& s)
{
    return (s.mode > CommandButton && s.value) ? s.derived.light : s.derived.face;
}

// A disabled check box or option button shows its caption in grey, whatever colour the
// style gives it when on.
qint64 disabledOptionColour(const ButtonState& s, qint64 c)
{
    return (!s.enabled && s.mode > CommandButton) ? qint64(Grey) : c;
}

Colour plainGradientEnd(const ButtonState& s)
{
    return SystemColorToRgb(s.gradientColor);
}

ButtonLook plainLook(const ButtonState& s, Colour, const ButtonBackground& bg)
{
    return {bg.depth, disabledOptionColour(s, None)};
}

void softCorners(ButtonCanvas& cv, const ButtonState& s, Colour corner, Colour leftInside, Colour rightInside)
{
    const int W = s.width;
    const int H = s.height;
    if (s.geometry.leftInset == 0) {
        cv.setPixel(1, 1, corner);
        cv.setPixel(1, H - 2, corner);
        cv.setPixel(2, 2, leftInside);
        cv.setPixel(2, H - 3, leftInside);
    }
    if (s.geometry.rightLimit == W) {
        cv.setPixel(W - 2, 1, corner);
        cv.setPixel(W - 2, H - 2, corner);
        cv.setPixel(W - 3, 2, rightInside);
        cv.setPixel(W - 3, H - 3, rightInside);
    }
}

// ---- Bevel3D: the classic bevel ----------------------------------------------------

ButtonLook bevel3DLook(const ButtonState& s, Colour, const ButtonBackground& bg)
{
    const int depth = (s.mode > CommandButton && sunken(s)) ? 3 : bg.depth;
    return {depth, disabledOptionColour(s, depth == 3 ? qint64(Black) : None)};
}

Table bevel3DEdges(const ButtonState& s, Colour, Colour fill, int depth)
{
    const Colour A = (s.pressedAndOver() && depth != 3) ? fill : RGBColour(233, 233, 233);
    Table t = ButtonEdges::none();
    switch (depth) {
    case 0:
        ring(t, Middle, A, Grey);
        ring(t, Outer, White, Black);
        break;
    case 1:
        ring(t, Inner, A, Grey);
        ring(t, Middle, White, Black);
        ring(t, Outer, Black, Black);
        break;
    case 2:
        ring(t, Middle, None, Grey);
        ring(t, Outer, s.has(IsDefault) ? Black : White, Black);
        break;
    default:
        ring(t, Middle, None, A);
        ring(t, Outer, Black, White);
        break;
    }
    return t;
}

// ---- SoftBevel: two soft bevel rings inside a black frame ----------------------------

Table softBevelEdges(const ButtonState& s, Colour, Colour, int)
{
    Table t = ButtonEdges::none();
    const bool down = sunken(s);
    ring(t, Inner, down ? Grey : White, down ? White : Grey);
    ring(t, Middle, down ? Grey : White, down ? White : Grey);
    ring(t, Outer, Black, Black);
    return t;
}

// ---- BrightRounded: bright face darkening downwards, dark blue frame, rounded corners.
// The inner two rings are chosen four ways: normal and pressed as face shades, shown as
// default in blue tones, hovering in warm tones.

Colour brightRoundedFace(const ButtonState& s)
{
    Colour face = onFace(s);
    if (s.mode == CommandButton && s.pressedAndOver() && s.gradientMode == NoGradient)
        face = s.derived.shadow;
    if (!s.enabled)
        face = ShadeColor(s.derived.face, -24, true);
    return face;
}

Colour brightRoundedGradientEnd(const ButtonState& s)
{
    return ShadeColor(SystemColorToRgb(s.gradientColor), 48, true);
}

Colour brightRoundedFrame(const ButtonState& s, Colour fill)
{
    return s.enabled ? RGBColour(0, 60, 115) : ShadeColor(fill, -84, true);
}

Table brightRoundedEdges(const ButtonState& s, Colour, Colour f, int)
{
    int choice = 0;
    if (sunken(s))
        choice = 2;
    else if (s.has(IsOver) || s.hovering)
        choice = 3;
    else if (s.has(IsDefault) && s.showFocusRect)
        choice = 1;
    Table t = ButtonEdges::none();
    const Colour outer = brightRoundedFrame(s, f);
    if (s.enabled) {
        switch (choice) {
        case 0:
            ring(t, Inner, ShadeColor(f, 8, true), ShadeColor(f, -16, true));
            ring(t, Middle, ShadeColor(f, 16, true), ShadeColor(f, -32, true));
            break;
        case 1:
            t[0] = t[1] = RGBColour(189, 215, 247);
            t[2] = t[3] = RGBColour(181, 209, 240);
            t[4] = RGBColour(181, 209, 240);
            t[5] = RGBColour(191, 223, 255);
            t[6] = RGBColour(140, 174, 231);
            t[7] = RGBColour(107, 130, 239);
            break;
        case 2:
            ring(t, Inner, ShadeColor(f, -32, true), ShadeColor(f, 8, true));
            ring(t, Middle, ShadeColor(f, -48, true), ShadeColor(f, 16, true));
            break;
        default:
            ring(t, Inner, RGBColour(255, 233, 166), RGBColour(255, 178, 49));
            ring(t, Middle, RGBColour(255, 219, 140), RGBColour(231, 150, 0));
            break;
        }
    }
    ring(t, Outer, outer, outer);
    if (isOval(s.buttonShape)) {
        if (s.hovering)
            t[11] = RGBColour(231, 150, 0);
        else if (s.has(IsDefault))
            t[11] = RGBColour(107, 130, 239);
    }
    return t;
}

void brightRoundedCorners(ButtonCanvas& cv, const ButtonState& s, const Table&, Colour fill)
{
    if (!isRectangularFamily(s.buttonShape))
        return;
    const Colour outer = brightRoundedFrame(s, fill);
    const int W = s.width;
    const int H = s.height;
    if (s.geometry.leftInset == 0) {
        cv.setPixel(1, 1, outer);
        cv.setPixel(1, H - 2, outer);
    }
    if (s.geometry.rightLimit == W) {
        cv.setPixel(W - 2, H - 2, outer);
        cv.setPixel(W - 2, 1, outer);
    }
}

// ---- GreyFramed: flat grey frame, captions that never move ---------------------------

Colour greyFramedFace(const ButtonState& s)
{
    if (s.mode == CommandButton && s.pressedAndOver())
        return s.derived.shadow;
    if (s.value)
        return s.derived.light;
    return s.derived.face;
}

ButtonLook greyFramedLook(const ButtonState& s, Colour, const ButtonBackground&)
{
    int depth = 1;
    if (s.mode == CommandButton)
        depth = s.pressedAndOver() ? 2 : 1;
    else
        depth = (s.value || s.buttonDown) ? 2 : 3;
    return {depth, s.enabled ? qint64(Grey) : qint64(ShadeColor(Grey, -16))};
}

Table greyFramedEdges(const ButtonState& s, Colour, Colour fill, int depth)
{
    const Colour dark = ShadeColor(Grey, -26);
    Table t = ButtonEdges::none();
    if (!s.enabled && s.mode == CommandButton) {
        ring(t, Inner, fill, fill);
        ring(t, Middle, fill, fill);
        ring(t, Outer, dark, dark);
    } else {
        ring(t, Middle, depth == 2 ? fill : White, dark);
        ring(t, Outer, dark, White);
    }
    return t;
}

// ---- FlatLine: one thin raised or sunken line ----------------------------------------

Table flatLineEdges(const ButtonState& s, Colour, Colour, int)
{
    Table t = ButtonEdges::none();
    ring(t, Outer, sunken(s) ? Grey : White, sunken(s) ? White : Grey);
    return t;
}

// ---- HotTrack: flat until the pointer comes over it -----------------------------------

bool hotTrackIdleAtDesignTime(const ButtonState& s)
{
    return !(s.has(IsOver) || s.value) && !s.userMode;
}

// At design time the idle flat button stays visible in this colour.
Colour hotTrackDesignOutline(const ButtonState& s)
{
    const Colour c = ShadeColor(s.containerBackColor, -64);
    return c == 0 ? White : c;
}

Table hotTrackEdges(const ButtonState& s, Colour, Colour, int)
{
    Table t = ButtonEdges::none();
    if (s.has(IsOver) || s.value) {
        ring(t, Outer, sunken(s) ? Grey : White, sunken(s) ? White : Grey);
    } else if (!s.userMode) {
        const Colour c = hotTrackDesignOutline(s);
        ring(t, Outer, c, c);
    }
    return t;
}

// An oval's design-time outline is every other pixel of its rim.
void hotTrackDesignRim(ButtonCanvas& cv, const ButtonState& s, const Table&, Colour)
{
    if (!hotTrackIdleAtDesignTime(s) || !isOval(s.buttonShape))
        return;
    const Colour c = hotTrackDesignOutline(s);
    cv.setClip({});
    const QRegion rim = ButtonRegion::borderOf(s.geometry.window);
    for (const QRect& r : rim)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (((x + y) & 1) == 0)
                    cv.setPixel(x, y, c);
}

// ---- LightBevel: light two-ring bevel ---------------------------------------------------

Table lightBevelEdges(const ButtonState& s, Colour, Colour, int)
{
    const Colour lightEdge = ShadeColor(RGBColour(223, 223, 223), 8);
    Table t = ButtonEdges::none();
    const bool down = sunken(s);
    ring(t, Middle, down ? Grey : lightEdge, down ? lightEdge : Grey);
    ring(t, Outer, down ? Grey : lightEdge, down ? lightEdge : Grey);
    return t;
}

// ---- ShadedRounded: shaded face in a black frame with softened corners. Raised: a white
// middle ring at left and top, a brighter face shade inside it and a dark face shade at
// right and bottom. Pressed: dark shades of g at left and top, a lighter one at right and
// bottom (g = the face with a gradient, else grey).

Colour shadedRoundedFace(const ButtonState& s)
{
    if (s.mode == CommandButton && s.pressedAndOver())
        return s.derived.shadow;
    if (s.value && s.mode > CommandButton)
        return s.derived.light;
    return s.derived.face;
}

Colour shadedRoundedGradientEnd(const ButtonState& s)
{
    return ShadeColor(SystemColorToRgb(s.gradientColor), 31);
}

ButtonLook shadedRoundedLook(const ButtonState& s, Colour face, const ButtonBackground& bg)
{
    qint64 caption = None;
    if (s.value)
        caption = ShadeColor(Grey, -32);
    else if (s.buttonShape != Rectangular)
        caption = ShadeColor(face, -64);
    return {bg.depth, disabledOptionColour(s, caption)};
}

Table shadedRoundedEdges(const ButtonState& s, Colour face, Colour, int)
{
    Table t = ButtonEdges::none();
    if (sunken(s)) {
        const Colour g = s.gradientMode != NoGradient ? face : Grey;
        ring(t, Inner, ShadeColor(g, -32), None);
        ring(t, Middle, ShadeColor(g, -64), ShadeColor(g, -16));
    } else {
        ring(t, Inner, ShadeColor(face, 31, true), None);
        ring(t, Middle, White, ShadeColor(face, -64, true));
    }
    ring(t, Outer, Black, Black);
    return t;
}

void shadedRoundedCorners(ButtonCanvas& cv, const ButtonState& s, const Table& t, Colour)
{
    if (isRectangularFamily(s.buttonShape))
        softCorners(cv, s, Black, Colour(t[4]), Colour(t[6]));
}

// Indexed by ButtonStyle.
const ButtonStyleEntry Styles[] = {
    {onFace, plainGradientEnd, bevel3DLook, bevel3DEdges, nullptr, false},
    {onFace, plainGradientEnd, plainLook, softBevelEdges, nullptr, false},
    {brightRoundedFace, brightRoundedGradientEnd, plainLook, brightRoundedEdges, brightRoundedCorners, false},
    {greyFramedFace, plainGradientEnd, greyFramedLook, greyFramedEdges, nullptr, true},
    {onFace, plainGradientEnd, plainLook, flatLineEdges, nullptr, false},
    {onFace, plainGradientEnd, plainLook, hotTrackEdges, hotTrackDesignRim, false},
    {onFace, plainGradientEnd, plainLook, lightBevelEdges, nullptr, false},
    {shadedRoundedFace, shadedRoundedGradientEnd, shadedRoundedLook, shadedRoundedEdges, shadedRoundedCorners,
     false},
};

} // namespace

const ButtonStyleEntry& ButtonStyles::entry(int buttonStyle)
{
    if (buttonStyle < SoftBevel || buttonStyle > ShadedRounded)
        return Styles[Bevel3D];
    return Styles[buttonStyle];
}
