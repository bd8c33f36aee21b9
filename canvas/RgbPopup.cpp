#include "canvas/RgbPopup.h"

#include "canvas/PointerReadout.h"
#include "canvas/PopupFace.h"
#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "platform/PictureBox.h"

#include <cmath>

RgbPopup::RgbPopup(PortraitCanvas& canvas, const EditingState& state, const PointerReadout& tools,
                   PopupFace& face, std::function<Option()> option)
    : m_canvas(canvas), m_state(state), m_tools(tools), m_face(face), m_option(std::move(option))
{
}

void RgbPopup::popupStep(int shift, float x, float y)
{
    const Option option = m_option ? m_option() : Option::Always;
    if (option == Option::Never)
        return;
    if (shift == ShiftMask::Ctrl || option != Option::OnlyWithCtrl)
        draw(x, y);
}

void RgbPopup::RedrawRGB()
{
    // The redraw replaces the whole view (restoring only what changed), so no clear first.
    m_canvas.RedrawFace();
    draw(m_tools.LastX(), m_tools.LastY());
}

void RgbPopup::draw(float x, float y)
{
    const ColorParts rgb = m_tools.CursorRGB();
    m_face.setPicture(m_tools.swatch());
    m_face.setCaption(QStringLiteral("RGB(%1,%2,%3)").arg(rgb.R).arg(rgb.G).arg(rgb.B));
    m_face.setWidth(widthFor(int(m_face.caption().size())));
    m_face.setPosition(int(std::nearbyint(x + 8)), int(std::nearbyint(y + 8)));
    BlendBlt(short(m_face.width()), short(m_face.height()), m_face.image(), 0, 0, m_canvas,
             short(m_face.left()), short(m_face.top()), m_state.PopupAlpha);
}

void RgbPopup::BlendBlt(short width, short height, const QImage& source, short sourceX, short sourceY,
                        PortraitCanvas& destination, short destinationX, short destinationY,
                        unsigned char alpha)
{
    // Same-sized rectangles: nothing is stretched; the view clips what falls outside.
    // The canvas presents just this rectangle and restores it on the next redraw.
    destination.blendOverView(source, destinationX, destinationY, width, height, sourceX, sourceY, alpha);
}
