#include "controls/ButtonPainter.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonColours.h"
#include "controls/PicturePainter.h"
#include "platform/SystemColor.h"

#include <QPainter>
#include <cmath>

using namespace kuButtons;

namespace {

constexpr Colour White = 0xFFFFFF;
constexpr Colour Black = 0x000000;
constexpr Colour Grey = 0x808080;
constexpr qint64 None = -1;

ButtonPainter::EdgeTable emptyTable()
{
    ButtonPainter::EdgeTable t;
    t.fill(None);
    return t;
}

// Sets one ring (0 inner, 1 middle, 2 outer) of a table.
void ring(ButtonPainter::EdgeTable& t, int index, qint64 leftTop, qint64 rightBottom)
{
    t[index * 4 + 0] = leftTop;
    t[index * 4 + 1] = leftTop;
    t[index * 4 + 2] = rightBottom;
    t[index * 4 + 3] = rightBottom;
}

struct Background {
    int depth = 0;
    int frameKind = 0;
    Colour fill = 0;
};

// One paint pass over a state.
class Pass {
public:
    Pass(const ButtonState& s, QImage& buffer) : s(s), cv(buffer), W(s.width), H(s.height) {}

    ButtonPainter::Result run();

private:
    Background FillBackground(Colour face, Colour gradientEnd);
    void DrawCaption(Colour face, qint64 captionColour, int depth);
    void DrawFocusIndicator(qint64 captionColour, bool solid, Colour face);
    void drawText(const QRect& rect, Colour colour, int dx, int dy);
    void edges(const ButtonPainter::EdgeTable& t)
    {
        lastTable = t;
        if (isRectangularFamily(s.buttonShape))
            ButtonPainter::DrawEdges(cv, t, s.geometry.leftInset, s.geometry.rightLimit, s.buttonShape);
    }
    void softCorners(Colour corner, Colour leftInside, Colour rightInside);

    void paintBevel3D();
    void paintSoftBevel();
    void paintBrightRounded();
    void paintGreyFramed();
    void paintFlatLine();
    void paintHotTrack();
    void paintLightBevel();
    void paintShadedRounded();

    Colour onFace(Colour normal) const
    {
        return (s.mode > CommandButton && s.value) ? s.derived.light : normal;
    }
    bool sunken() const { return s.pressedAndOver() || s.value; }
    qint64 disabledOptionColour(qint64 c) const
    {
        // A disabled check box or option button shows its caption in grey, whatever
        // colour the style gives it when on.
        return (!s.enabled && s.mode > CommandButton) ? qint64(Grey) : c;
    }
    qint64 focusColour(qint64 captionColour, Colour face) const
    {
        if (s.buttonShape >= DiagonalLeft && s.buttonShape <= DiagonalBoth)
            return ShadeColor(face, -48);
        return captionColour;
    }

    const ButtonState& s;
    ButtonCanvas cv;
    const int W;
    const int H;
    int frameKind = 0;
    ButtonPainter::EdgeTable lastTable = emptyTable();
    qint64 lastCaptionColour = None;
    QRect textRect;
    QRect pictureRect;
};

Background Pass::FillBackground(Colour face, Colour gradientEnd)
{
    Background bg;
    const bool hov = s.hovering;
    const bool po = s.pressedAndOver();
    const bool on = s.value;
    const int shape = s.buttonShape;
    const QRegion& outer = s.geometry.outerClip;
    const QRegion& inner = s.geometry.innerClip;

    if (s.buttonStyle == HotTrack && !hov && !po && !on) {
        cv.setClip({});
        bg.frameKind = 1;
    } else {
        if ((s.buttonStyle == HotTrack && on) || (shape != OvalOutlined && shape != CustomShape1)) {
            cv.setClip({});
            cv.verticalGradient(White, Grey);
            cv.setClip(inner);
            bg.frameKind = 4;
        }
        if ((!po && !on) || shape == OvalOutlined || shape == CustomShape1) {
            if (shape == OvalOutlined) {
                // The black outline an oval keeps from its region step; framed again here
                // so that every pass starts from the same buffer.
                if (hov || s.buttonStyle != HotTrack) {
                    cv.setClip({});
                    cv.fillRegion(ButtonRegion::borderOf(s.geometry.window), Black);
                    cv.setClip(outer);
                    if (hov)
                        bg.frameKind = 3;
                }
            } else {
                if (shape == CustomShape1) {
                    cv.setClip({});
                    cv.fillRegion(ButtonRegion::borderOf(s.geometry.window), SystemColorToRgb(s.backColor));
                }
                cv.setClip(outer);
                bg.frameKind = 3;
            }
        } else {
            cv.setClip(outer);
            cv.verticalGradient(Grey, White);
            cv.setClip(inner);
            bg.frameKind = 4;
        }
    }

    bg.depth = po ? 2 : (s.has(IsDefault) ? 1 : 0);

    Colour hoverFace = s.derived.hoverFace;
    if (s.hoverBackColor == InvalidColour)
        hoverFace = face;
    Colour fill = face;
    if (hov) {
        if (s.mode == CommandButton)
            fill = po ? face : hoverFace;
        else
            fill = on ? face : hoverFace;
    }
    bg.fill = fill;

    if (s.value || isCustomShape(shape) || s.gradientMode == NoGradient) {
        if (s.buttonStyle == BrightRounded && (s.enabled || s.mode > CommandButton)) {
            for (int y = 0; y <= H; ++y) {
                const int amount = int(std::nearbyint(-25.0 * y / std::max(1, H)));
                cv.fillRect(QRect(0, y, W, 1), ShadeColor(fill, amount, true));
            }
        } else {
            cv.fillAll(fill);
        }
    } else if (hov && !po && s.gradientColor != s.hoverBackColor) {
        cv.fillAll(s.derived.hoverFace);
    } else {
        const bool across = s.gradientMode == LeftToRight || s.gradientMode == RightToLeft;
        const int span = across ? W : H;
        const GradientBands bands =
            gradientBands(span, across ? s.screenSize.width() : s.screenSize.height());
        const QList<Colour> table = gradientTable(face, gradientEnd, bands.count);
        const bool reversed = s.gradientMode == RightToLeft || s.gradientMode == BottomToTop;
        for (int k = 0; k < bands.count; ++k) {
            const Colour c = table[reversed ? bands.count - 1 - k : k];
            const QRect band =
                across ? QRect(k * bands.size, 0, bands.size, H) : QRect(0, k * bands.size, W, bands.size);
            cv.fillRect(band, c);
        }
    }
    frameKind = bg.frameKind;
    return bg;
}

void Pass::drawText(const QRect& rect, Colour colour, int dx, int dy)
{
    QPainter p;
    cv.beginPainter(p);
    p.setFont(s.font);
    p.setPen(toQColor(colour));
    int flags = Qt::TextWordWrap | Qt::AlignTop | Qt::TextShowMnemonic;
    switch (s.captionAlign) {
    case AlignLeft:
        flags |= Qt::AlignLeft;
        break;
    case AlignRight:
        flags |= Qt::AlignRight;
        break;
    default:
        flags |= Qt::AlignHCenter;
        break;
    }
    p.drawText(rect.translated(dx, dy), flags, captionText(s.caption));
}

void Pass::DrawCaption(Colour face, qint64 captionColour, int depth)
{
    textRect = s.layout.text;
    pictureRect = s.layout.picture;
    if ((s.pressedAndOver() || depth == 2) && s.buttonStyle != GreyFramed) {
        const QPoint shift = isRectangularFamily(s.buttonShape) ? QPoint(1, 1) : QPoint(0, 1);
        textRect.translate(shift);
        pictureRect.translate(shift);
    }

    if (!(s.value && isCustomShape(s.buttonShape))) {
        QRect r = pictureRect;
        if (isCustomShape(s.buttonShape)) {
            r = QRect(0, 0, W, H);
            if (s.pressedAndOver())
                r.adjust(1, 1, -1, -1);
        }
        PicturePainter::draw(cv, s, r);
    }

    if (s.caption.isEmpty() || (s.buttonShape >= OvalShaded2 && !s.value) || textRect.isEmpty())
        return;

    if (s.enabled) {
        Colour colour = (s.hovering && !s.pressedAndOver()) ? SystemColorToRgb(s.hoverForeColor)
                                                            : SystemColorToRgb(s.foreColor);
        if (s.buttonStyle == ShadedRounded && (s.value || s.gradientMode == NoGradient) && captionColour >= 0)
            colour = Colour(captionColour);
        if (s.captionStyle == Embossed || s.captionStyle == Engraved) {
            const Colour up = ShadeColor(face, s.captionStyle == Embossed ? -40 : 40);
            const Colour down = ShadeColor(face, s.captionStyle == Embossed ? 40 : -40);
            drawText(textRect, up, -1, 0);
            drawText(textRect, down, 1, 2);
            drawText(textRect, colour, 0, 1);
        } else {
            drawText(textRect, colour, 0, 0);
        }
        return;
    }
    if (captionColour < 0 || s.gradientMode != NoGradient) {
        drawText(textRect, White, 1, 1);
        drawText(textRect, Grey, 0, 0);
    } else {
        drawText(textRect, Colour(captionColour), 0, 0);
    }
}

void Pass::DrawFocusIndicator(qint64 captionColour, bool solid, Colour face)
{
    if (!s.has(IsDefault) || isCustomShape(s.buttonShape))
        return;
    if (isOval(s.buttonShape) && s.buttonStyle == BrightRounded)
        return;
    qint64 c = focusColour(captionColour, face);
    if (s.buttonStyle == GreyFramed) {
        solid = true;
        c = RGBColour(153, 153, 204);
    }
    const Colour colour = c < 0 ? SystemColorToRgb(s.foreColor) : Colour(c);
    auto segment = [&](QPoint a, QPoint b) {
        if (solid)
            cv.line(a, b, colour);
        else
            cv.dottedLine(a, b);
    };

    QList<QPoint> pts;
    if (isRectangularFamily(s.buttonShape)) {
        const int L = s.geometry.leftInset;
        const int R = s.geometry.rightLimit;
        const bool dl = s.buttonShape == DiagonalLeft || s.buttonShape == DiagonalBoth;
        const bool dr = s.buttonShape == DiagonalRight || s.buttonShape == DiagonalBoth;
        const int top = 4;
        const int bottom = H - 5;
        // The slanted sides run parallel to the outline, about five pixels inside it.
        const QPoint topLeft = dl ? QPoint(top + 5, top) : QPoint(L + 4, top);
        const QPoint bottomLeft = dl ? QPoint(bottom + 5, bottom) : QPoint(L + 4, bottom);
        const QPoint topRight = dr ? QPoint(R - 5 + top, top) : QPoint(R - 5, top);
        const QPoint bottomRight = dr ? QPoint(R - 5 + bottom, bottom) : QPoint(R - 5, bottom);
        pts << topLeft << topRight << bottomRight << bottomLeft << topLeft;
    } else {
        QRect r = textRect.isEmpty() ? pictureRect.intersected(QRect(4, 4, W - 8, H - 8)) : textRect;
        if (r.isEmpty())
            return;
        const int grow = (r.left() >= 3 && r.right() <= W - 4 && r.top() >= 3 && r.bottom() <= H - 4) ? 2 : 1;
        r.adjust(-grow, -grow, grow, grow);
        pts << r.topLeft() << r.topRight() << r.bottomRight() << r.bottomLeft() << r.topLeft();
    }
    for (int i = 0; i + 1 < pts.size(); ++i)
        segment(pts[i], pts[i + 1]);
}

void Pass::softCorners(Colour corner, Colour leftInside, Colour rightInside)
{
    const bool left = s.geometry.leftInset == 0;
    const bool right = s.geometry.rightLimit == W;
    if (left) {
        cv.setPixel(1, 1, corner);
        cv.setPixel(1, H - 2, corner);
        cv.setPixel(2, 2, leftInside);
        cv.setPixel(2, H - 3, leftInside);
    }
    if (right) {
        cv.setPixel(W - 2, 1, corner);
        cv.setPixel(W - 2, H - 2, corner);
        cv.setPixel(W - 3, 2, rightInside);
        cv.setPixel(W - 3, H - 3, rightInside);
    }
}

// Style 0: the classic bevel.
void Pass::paintBevel3D()
{
    const Colour face = onFace(s.derived.face);
    const Background bg = FillBackground(face, SystemColorToRgb(s.gradientColor));
    int depth = bg.depth;
    if (s.mode > CommandButton && sunken())
        depth = 3;
    const Colour A = (s.pressedAndOver() && depth != 3) ? bg.fill : RGBColour(233, 233, 233);
    const qint64 caption = disabledOptionColour(depth == 3 ? qint64(Black) : None);
    DrawCaption(bg.fill, caption, depth);
    ButtonPainter::EdgeTable t = emptyTable();
    switch (depth) {
    case 0:
        ring(t, 1, A, Grey);
        ring(t, 2, White, Black);
        break;
    case 1:
        ring(t, 0, A, Grey);
        ring(t, 1, White, Black);
        ring(t, 2, Black, Black);
        break;
    case 2:
        ring(t, 1, None, Grey);
        ring(t, 2, s.has(IsDefault) ? Black : White, Black);
        break;
    default:
        ring(t, 1, None, A);
        ring(t, 2, Black, White);
        break;
    }
    edges(t);
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

// Style 1: two soft bevel rings inside a black frame.
void Pass::paintSoftBevel()
{
    const Colour face = onFace(s.derived.face);
    const Background bg = FillBackground(face, SystemColorToRgb(s.gradientColor));
    const qint64 caption = disabledOptionColour(None);
    DrawCaption(bg.fill, caption, bg.depth);
    ButtonPainter::EdgeTable t = emptyTable();
    const bool down = sunken();
    ring(t, 0, down ? Grey : White, down ? White : Grey);
    ring(t, 1, down ? Grey : White, down ? White : Grey);
    ring(t, 2, Black, Black);
    edges(t);
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

// Style 2: bright face darkening downwards, dark blue frame with rounded corners. The
// inner two rings are chosen four ways: normal and pressed as face shades, shown as
// default in blue tones, hovering in warm tones.
void Pass::paintBrightRounded()
{
    Colour face = onFace(s.derived.face);
    if (s.mode == CommandButton && s.pressedAndOver() && s.gradientMode == NoGradient)
        face = s.derived.shadow;
    if (!s.enabled)
        face = ShadeColor(s.derived.face, -24, true);
    const Colour gradEnd = ShadeColor(SystemColorToRgb(s.gradientColor), 48, true);
    const Background bg = FillBackground(face, gradEnd);
    const qint64 caption = disabledOptionColour(None);
    DrawCaption(bg.fill, caption, bg.depth);

    int choice = 0;
    if (sunken())
        choice = 2;
    else if (s.has(IsOver) || s.hovering)
        choice = 3;
    else if (s.has(IsDefault) && s.showFocusRect)
        choice = 1;
    const Colour f = bg.fill;
    ButtonPainter::EdgeTable t = emptyTable();
    const Colour outer = s.enabled ? RGBColour(0, 60, 115) : ShadeColor(f, -84, true);
    if (s.enabled) {
        switch (choice) {
        case 0:
            ring(t, 0, ShadeColor(f, 8, true), ShadeColor(f, -16, true));
            ring(t, 1, ShadeColor(f, 16, true), ShadeColor(f, -32, true));
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
            ring(t, 0, ShadeColor(f, -32, true), ShadeColor(f, 8, true));
            ring(t, 1, ShadeColor(f, -48, true), ShadeColor(f, 16, true));
            break;
        default:
            ring(t, 0, RGBColour(255, 233, 166), RGBColour(255, 178, 49));
            ring(t, 1, RGBColour(255, 219, 140), RGBColour(231, 150, 0));
            break;
        }
    }
    ring(t, 2, outer, outer);
    if (isOval(s.buttonShape)) {
        if (s.hovering)
            t[11] = RGBColour(231, 150, 0);
        else if (s.has(IsDefault))
            t[11] = RGBColour(107, 130, 239);
    }
    edges(t);
    if (isRectangularFamily(s.buttonShape)) {
        if (s.geometry.leftInset == 0) {
            cv.setPixel(1, 1, outer);
            cv.setPixel(1, H - 2, outer);
        }
        if (s.geometry.rightLimit == W) {
            cv.setPixel(W - 2, H - 2, outer);
            cv.setPixel(W - 2, 1, outer);
        }
    }
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

// Style 3: flat grey frame, captions that never move.
void Pass::paintGreyFramed()
{
    Colour face = s.derived.face;
    if (s.mode == CommandButton && s.pressedAndOver())
        face = s.derived.shadow;
    else if (s.value)
        face = s.derived.light;
    const Background bg = FillBackground(face, SystemColorToRgb(s.gradientColor));
    int depth = 1;
    if (s.mode == CommandButton)
        depth = s.pressedAndOver() ? 2 : 1;
    else
        depth = (s.value || s.buttonDown) ? 2 : 3;
    const qint64 caption = s.enabled ? qint64(Grey) : qint64(ShadeColor(Grey, -16));
    DrawCaption(bg.fill, caption, depth);
    const Colour dark = ShadeColor(Grey, -26);
    ButtonPainter::EdgeTable t = emptyTable();
    if (!s.enabled && s.mode == CommandButton) {
        ring(t, 0, bg.fill, bg.fill);
        ring(t, 1, bg.fill, bg.fill);
        ring(t, 2, dark, dark);
    } else {
        ring(t, 1, depth == 2 ? bg.fill : White, dark);
        ring(t, 2, dark, White);
    }
    edges(t);
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, true, bg.fill);
}

// Style 4: one thin raised or sunken line.
void Pass::paintFlatLine()
{
    const Colour face = onFace(s.derived.face);
    const Background bg = FillBackground(face, SystemColorToRgb(s.gradientColor));
    const qint64 caption = disabledOptionColour(None);
    DrawCaption(bg.fill, caption, bg.depth);
    ButtonPainter::EdgeTable t = emptyTable();
    ring(t, 2, sunken() ? Grey : White, sunken() ? White : Grey);
    edges(t);
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

// Style 5: flat until the pointer comes over it.
void Pass::paintHotTrack()
{
    const Colour face = onFace(s.derived.face);
    const Background bg = FillBackground(face, SystemColorToRgb(s.gradientColor));
    const qint64 caption = disabledOptionColour(None);
    DrawCaption(bg.fill, caption, bg.depth);
    ButtonPainter::EdgeTable t = emptyTable();
    if (s.has(IsOver) || s.value) {
        ring(t, 2, sunken() ? Grey : White, sunken() ? White : Grey);
    } else if (!s.userMode) {
        // At design time the idle flat button stays visible.
        Colour c = ShadeColor(s.containerBackColor, -64);
        if (c == 0)
            c = White;
        ring(t, 2, c, c);
        if (isOval(s.buttonShape)) {
            cv.setClip({});
            const QRegion rim = ButtonRegion::borderOf(s.geometry.window);
            for (const QRect& r : rim)
                for (int y = r.top(); y <= r.bottom(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x)
                        if (((x + y) & 1) == 0)
                            cv.setPixel(x, y, c);
        }
    }
    edges(t);
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

// Style 6: light two-ring bevel.
void Pass::paintLightBevel()
{
    const Colour face = onFace(s.derived.face);
    const Background bg = FillBackground(face, SystemColorToRgb(s.gradientColor));
    const qint64 caption = disabledOptionColour(None);
    DrawCaption(bg.fill, caption, bg.depth);
    const Colour lightEdge = ShadeColor(RGBColour(223, 223, 223), 8);
    ButtonPainter::EdgeTable t = emptyTable();
    const bool down = sunken();
    ring(t, 1, down ? Grey : lightEdge, down ? lightEdge : Grey);
    ring(t, 2, down ? Grey : lightEdge, down ? lightEdge : Grey);
    edges(t);
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

// Style 7: shaded face in a black frame with softened corners. Raised: a white middle
// ring at left and top, a brighter face shade inside it and a dark face shade at right
// and bottom. Pressed: dark shades of g at left and top, a lighter one at right and
// bottom (g = the face with a gradient, else grey).
void Pass::paintShadedRounded()
{
    Colour face = s.derived.face;
    if (s.mode == CommandButton && s.pressedAndOver())
        face = s.derived.shadow;
    else if (s.value && s.mode > CommandButton)
        face = s.derived.light;
    const Colour gradEnd = ShadeColor(SystemColorToRgb(s.gradientColor), 31);
    const Background bg = FillBackground(face, gradEnd);
    qint64 caption = None;
    if (s.value)
        caption = ShadeColor(Grey, -32);
    else if (s.buttonShape != Rectangular)
        caption = ShadeColor(face, -64);
    caption = disabledOptionColour(caption);
    DrawCaption(bg.fill, caption, bg.depth);

    ButtonPainter::EdgeTable t = emptyTable();
    if (sunken()) {
        const Colour g = s.gradientMode != NoGradient ? face : Grey;
        ring(t, 0, ShadeColor(g, -32), None);
        ring(t, 1, ShadeColor(g, -64), ShadeColor(g, -16));
    } else {
        ring(t, 0, ShadeColor(face, 31, true), None);
        ring(t, 1, White, ShadeColor(face, -64, true));
    }
    ring(t, 2, Black, Black);
    edges(t);
    if (isRectangularFamily(s.buttonShape))
        softCorners(Black, Colour(t[4]), Colour(t[6]));
    lastCaptionColour = caption;
    DrawFocusIndicator(caption, s.value, bg.fill);
}

ButtonPainter::Result Pass::run()
{
    switch (s.buttonStyle) {
    case SoftBevel:
        paintSoftBevel();
        break;
    case BrightRounded:
        paintBrightRounded();
        break;
    case GreyFramed:
        paintGreyFramed();
        break;
    case FlatLine:
        paintFlatLine();
        break;
    case HotTrack:
        paintHotTrack();
        break;
    case LightBevel:
        paintLightBevel();
        break;
    case ShadedRounded:
        paintShadedRounded();
        break;
    default:
        paintBevel3D();
        break;
    }
    ButtonPainter::Result r;
    r.drawn = true;
    r.frameKind = frameKind;
    r.buffer = cv.image();
    r.window = r.buffer.copy();

    // The outline some shapes get on the window itself. Its colour is the painter's
    // outer bottom edge colour, else its caption colour, else black.
    const int shape = s.buttonShape;
    if (frameKind > 1 && shape >= OvalShaded) {
        QRegion along;
        if (isCustomShape(shape) && s.has(IsDefault) && (!s.hovering || s.pressedAndOver()))
            along = shape == CustomShape2 ? s.geometry.innerClip : s.geometry.outerClip;
        else if (isOval(shape) && s.mode == OptionButton && !s.pressedAndOver())
            along = s.geometry.outerClip;
        else if (s.hovering)
            along = s.geometry.window;
        if (!along.isEmpty()) {
            qint64 c = lastTable[11] >= 0 ? lastTable[11] : lastCaptionColour;
            const Colour colour = c >= 0 ? Colour(c) : Black;
            ButtonCanvas win(r.window);
            win.fillRegion(ButtonRegion::borderOf(along), colour);
        }
    }
    return r;
}

} // namespace

void ButtonPainter::DrawEdges(ButtonCanvas& cv, const EdgeTable& t, int L, int R, int shape)
{
    const int W = cv.width();
    const int H = cv.height();
    const int dl = (shape == DiagonalLeft || shape == DiagonalBoth) ? 1 : 0;
    const int dr = (shape == DiagonalRight || shape == DiagonalBoth) ? 1 : 0;
    const QPoint rings[3][5] = {
        // inner (inset 2)
        {{L + 2 - 4 * dl, H - 3},
         {2 + 2 * dl, 2},
         {R - 3 + 3 * dr, 2},
         {W - 3 - 3 * dr, H - 3},
         {L + 1 - 4 * dl, H - 3}},
        // middle (inset 1), parallel to the other two
        {{L + 1 - 3 * dl, H - 2},
         {1 + dl, 1},
         {R - 2 + 2 * dr, 1},
         {W - 2 - 2 * dr, H - 2},
         {L - 3 * dl, H - 2}},
        // outer (inset 0)
        {{L - dl, H - 1 + dl}, {0, 0}, {R + dr - 1, 0}, {W - 1, H - 1 + dr}, {L - 2 * dl - 1, H - 1}},
    };
    for (int ringIndex = 0; ringIndex < 3; ++ringIndex)
        for (int side = 0; side < 4; ++side) {
            const qint64 c = t[ringIndex * 4 + side];
            if (c >= 0)
                cv.line(rings[ringIndex][side], rings[ringIndex][side + 1], Colour(c));
        }
}

ButtonPainter::Result ButtonPainter::RedrawButton(const ButtonState& s)
{
    if (s.width <= 0 || s.height <= 0)
        return {};
    // Pixels outside the shape show the container, as they would around the window.
    QImage buffer(s.width, s.height, QImage::Format_RGB32);
    buffer.fill(toQRgb(s.containerBackColor));
    Pass pass(s, buffer);
    return pass.run();
}
