#include "controls/ButtonPainter.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonEdges.h"
#include "controls/ButtonFaceParts.h"
#include "controls/ButtonStyles.h"

using namespace kuButtons;

namespace {

// The outline some shapes get on the window itself. Its colour is the style's outer
// bottom edge colour, else its caption colour, else black.
void drawWindowOutline(QImage& window, const ButtonState& s, int frameKind, const ButtonEdges::Table& edges,
                       qint64 captionColour)
{
    const int shape = s.buttonShape;
    if (frameKind <= 1 || shape < OvalShaded)
        return;
    QRegion along;
    if (isCustomShape(shape) && s.has(IsDefault) && (!s.hovering || s.pressedAndOver()))
        along = shape == CustomShape2 ? s.geometry.innerClip : s.geometry.outerClip;
    else if (isOval(shape) && s.mode == OptionButton && !s.pressedAndOver())
        along = s.geometry.outerClip;
    else if (s.hovering)
        along = s.geometry.window;
    if (along.isEmpty())
        return;
    const qint64 edge = ButtonEdges::outerBottom(edges);
    const qint64 c = edge >= 0 ? edge : captionColour;
    ButtonCanvas win(window);
    win.fillRegion(ButtonRegion::borderOf(along), c >= 0 ? Colour(c) : Colour(0x000000));
}

} // namespace

ButtonPainter::Result ButtonPainter::RedrawButton(const ButtonState& s)
{
    if (s.width <= 0 || s.height <= 0)
        return {};
    // Pixels outside the shape show the container, as they would around the window.
    QImage buffer(s.width, s.height, QImage::Format_RGB32);
    buffer.fill(toQRgb(s.containerBackColor));
    ButtonCanvas cv(buffer);

    const ButtonStyleEntry& style = ButtonStyles::entry(s.buttonStyle);
    const Colour face = style.face(s);
    const ButtonBackground bg = ButtonFaceParts::fillBackground(cv, s, face, style.gradientEnd(s));
    const ButtonLook look = style.look(s, face, bg);
    const CaptionPlacement placed = ButtonFaceParts::drawCaption(cv, s, bg.fill, look.caption, look.depth);
    const ButtonEdges::Table edges = style.edges(s, face, bg.fill, look.depth);
    if (isRectangularFamily(s.buttonShape))
        ButtonEdges::draw(cv, edges, s.geometry.leftInset, s.geometry.rightLimit, s.buttonShape);
    if (style.finish)
        style.finish(cv, s, edges, bg.fill);
    ButtonFaceParts::drawFocusIndicator(cv, s, placed, look.caption, style.solidFocus || s.value, bg.fill);

    Result r;
    r.drawn = true;
    r.frameKind = bg.frameKind;
    r.buffer = cv.image();
    r.window = r.buffer.copy();
    drawWindowOutline(r.window, s, bg.frameKind, edges, look.caption);
    return r;
}
