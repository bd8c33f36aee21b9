#include "platform/Flatten.h"

#include <QPainter>

QImage flattenedOver(const QImage& picture, QRgb background)
{
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage out(picture.size(), QImage::Format_RGB32);
    out.fill(background);
    QPainter painter(&out);
    painter.drawImage(0, 0, picture);
    return out;
}
