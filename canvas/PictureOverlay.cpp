#include "canvas/PictureOverlay.h"

#include "canvas/Magnifier.h"
#include "document/PortraitGeometry.h"

#include <QPainter>

void PictureOverlay::show(const QImage& picture)
{
    if (picture.size() == QSize(Portrait::Width, Portrait::Height) &&
        picture.format() == QImage::Format_RGB32) {
        m_picture = picture;
        return;
    }
    m_picture = QImage(Portrait::Width, Portrait::Height, QImage::Format_RGB32);
    m_picture.fill(Qt::black);
    QPainter p(&m_picture);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
}

void PictureOverlay::paint(const ViewFrame& frame) const
{
    Magnifier::magnify(m_picture, frame.zoom, frame.area, frame.topLeft, frame.stride, frame.gridLine);
}
