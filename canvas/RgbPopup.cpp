#include "canvas/RgbPopup.h"

#include "canvas/PointerReadout.h"
#include "canvas/PopupFace.h"
#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "platform/PictureBox.h"

#include <QImage>
#include <algorithm>
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
    m_canvas.RedrawFace();
    draw(m_tools.LastX(), m_tools.LastY());
}

void RgbPopup::draw(float x, float y)
{
    const ColorParts rgb = m_tools.CursorRGB();
    m_face.setPicture(m_tools.swatch());
    m_face.setCaption(QStringLiteral("RGB(%1,%2,%3)").arg(rgb.R).arg(rgb.G).arg(rgb.B));
    m_face.setWidth(widthFor(int(m_face.caption().size())));
    const QPoint at = placeAt(x, y, QSize(m_face.width(), m_face.height()), m_canvas.viewSize());
    m_face.setPosition(at.x(), at.y());
    BlendBlt(short(m_face.width()), short(m_face.height()), m_face.image(), 0, 0, m_canvas,
             short(m_face.left()), short(m_face.top()), m_state.PopupAlpha);
}

QPoint RgbPopup::placeAt(float x, float y, QSize popup, QSize view)
{
    const auto along = [](float pointer, int size, int room) {
        const int p = int(std::nearbyint(pointer));
        int at = p + 8;
        if (at + size > room)
            at = p - 8 - size;
        return room >= size ? std::clamp(at, 0, room - size) : 0;
    };
    return {along(x, popup.width(), view.width()), along(y, popup.height(), view.height())};
}

void RgbPopup::BlendBlt(short width, short height, const QImage& source, short sourceX, short sourceY,
                        PortraitCanvas& destination, short destinationX, short destinationY,
                        unsigned char alpha)
{
    // Same-sized rectangles: nothing is stretched. The view blends it while it draws and
    // takes it off at its next redraw.
    const QRect part(sourceX, sourceY, width, height);
    destination.showPopup(part == source.rect() ? source : source.copy(part),
                          QPoint(destinationX, destinationY), alpha);
}
