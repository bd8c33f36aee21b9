#include "controls/ButtonFaceParts.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonColours.h"
#include "controls/ButtonState.h"
#include "controls/PicturePainter.h"
#include "platform/SystemColor.h"

#include <QPainter>
#include <cmath>

using namespace kuButtons;

using namespace PlainColour;

namespace {

void drawText(ButtonCanvas& cv, const ButtonState& s, const QRect& rect, Colour colour, int dx, int dy)
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

qint64 focusColour(const ButtonState& s, qint64 captionColour, Colour face)
{
    if (s.buttonShape >= DiagonalLeft && s.buttonShape <= DiagonalBoth)
        return ShadeColor(face, -48);
    return captionColour;
}

} // namespace

ButtonBackground ButtonFaceParts::fillBackground(ButtonCanvas& cv, const ButtonState& s, Colour face,
                                                 Colour gradientEnd)
{
    const int W = s.width;
    const int H = s.height;
    ButtonBackground bg;
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
    return bg;
}

CaptionPlacement ButtonFaceParts::drawCaption(ButtonCanvas& cv, const ButtonState& s, Colour face,
                                              qint64 captionColour, int depth)
{
    CaptionPlacement placed{s.layout.text, s.layout.picture};
    if ((s.pressedAndOver() || depth == 2) && s.buttonStyle != GreyFramed) {
        const QPoint shift = isRectangularFamily(s.buttonShape) ? QPoint(1, 1) : QPoint(0, 1);
        placed.text.translate(shift);
        placed.picture.translate(shift);
    }

    if (!(s.value && isCustomShape(s.buttonShape))) {
        QRect r = placed.picture;
        if (isCustomShape(s.buttonShape)) {
            r = QRect(0, 0, s.width, s.height);
            if (s.pressedAndOver())
                r.adjust(1, 1, -1, -1);
        }
        PicturePainter::draw(cv, s, r);
    }

    const QRect& text = placed.text;
    if (s.caption.isEmpty() || (s.buttonShape >= OvalShaded2 && !s.value) || text.isEmpty())
        return placed;

    if (s.enabled) {
        Colour colour = (s.hovering && !s.pressedAndOver()) ? SystemColorToRgb(s.hoverForeColor)
                                                            : SystemColorToRgb(s.foreColor);
        if (s.buttonStyle == ShadedRounded && (s.value || s.gradientMode == NoGradient) && captionColour >= 0)
            colour = Colour(captionColour);
        if (s.captionStyle == Embossed || s.captionStyle == Engraved) {
            const Colour up = ShadeColor(face, s.captionStyle == Embossed ? -40 : 40);
            const Colour down = ShadeColor(face, s.captionStyle == Embossed ? 40 : -40);
            drawText(cv, s, text, up, -1, 0);
            drawText(cv, s, text, down, 1, 2);
            drawText(cv, s, text, colour, 0, 1);
        } else {
            drawText(cv, s, text, colour, 0, 0);
        }
        return placed;
    }
    if (captionColour < 0 || s.gradientMode != NoGradient) {
        drawText(cv, s, text, White, 1, 1);
        drawText(cv, s, text, Grey, 0, 0);
    } else {
        drawText(cv, s, text, Colour(captionColour), 0, 0);
    }
    return placed;
}

void ButtonFaceParts::drawFocusIndicator(ButtonCanvas& cv, const ButtonState& s,
                                         const CaptionPlacement& placed, qint64 captionColour, bool solid,
                                         Colour face)
{
    const int W = s.width;
    const int H = s.height;
    if (!s.has(IsDefault) || isCustomShape(s.buttonShape))
        return;
    if (isOval(s.buttonShape) && s.buttonStyle == BrightRounded)
        return;
    qint64 c = focusColour(s, captionColour, face);
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
        QRect r = placed.text.isEmpty() ? placed.picture.intersected(QRect(4, 4, W - 8, H - 8)) : placed.text;
        if (r.isEmpty())
            return;
        const int grow = (r.left() >= 3 && r.right() <= W - 4 && r.top() >= 3 && r.bottom() <= H - 4) ? 2 : 1;
        r.adjust(-grow, -grow, grow, grow);
        pts << r.topLeft() << r.topRight() << r.bottomRight() << r.bottomLeft() << r.topLeft();
    }
    for (int i = 0; i + 1 < pts.size(); ++i)
        segment(pts[i], pts[i + 1]);
}
