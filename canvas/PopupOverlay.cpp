#include "canvas/PopupOverlay.h"

#include "platform/Surface.h"

#include <algorithm>

void PopupOverlay::show(const QImage& picture, QPoint topLeft, int alpha)
{
    m_picture =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    m_topLeft = topLeft;
    m_alpha = std::clamp(alpha, 0, 255);
}

void PopupOverlay::paint(const ViewFrame& frame) const
{
    const QRect r = frame.area.intersected(rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(m_picture.constScanLine(y - m_topLeft.y())) +
                        (r.left() - m_topLeft.x());
        Surface::blendRow(frame.at(r.left(), y), s, r.width(), m_alpha);
    }
}
