#include "controls/PicturePainter.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonColours.h"
#include "controls/ButtonState.h"

#include <QPainter>

using namespace PlainColour;

namespace {

// The picture at its drawing size and how to tell its transparent pixels.
struct Source {
    QImage image;
    bool keyed = false; // a bitmap whose key colour is transparent; else an icon with alpha
    QRgb key = 0;

    bool transparentAt(int x, int y) const
    {
        const QRgb p = image.pixel(x, y);
        return keyed ? (p | 0xFF000000u) == key : qAlpha(p) < 128;
    }
};

// Nothing when there is no picture to draw; rect shrinks to the drawn size.
Source sourceFor(const ButtonState& s, QRect& rect)
{
    Source src;
    if (s.picture.kind == ButtonPicture::Icon) {
        src.image = s.picture.image.convertToFormat(QImage::Format_ARGB32)
                        .scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return src;
    }
    if (s.pictureCache.isNull())
        return src;
    src.image = s.pictureCache.image();
    src.key = s.pictureCache.key();
    src.keyed = true;
    if (rect.width() < src.image.width() || rect.height() < src.image.height()) {
        const QSize fitted = src.image.size().scaled(rect.size(), Qt::KeepAspectRatio);
        src.image = src.image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        rect = QRect(rect.topLeft(), fitted);
    }
    return src;
}

void drawOpaque(ButtonCanvas& cv, const Source& src, const QRect& rect)
{
    QImage layer = cv.image().copy(rect);
    if (src.keyed) {
        for (int y = 0; y < src.image.height() && y < layer.height(); ++y)
            for (int x = 0; x < src.image.width() && x < layer.width(); ++x)
                if (!src.transparentAt(x, y))
                    layer.setPixel(x, y, src.image.pixel(x, y) | 0xFF000000u);
    } else {
        QPainter p(&layer);
        p.drawImage(0, 0, src.image);
    }
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x)
            cv.setPixel(rect.x() + x, rect.y() + y, fromQRgb(layer.pixel(x, y)));
}

// The black-and-white mask of the picture (transparent pixels white, every other pixel
// black) combined with a grey brush by the raster operation PSDPxax, P ^ (S & (D ^ P)):
// white keeps the face, black shows the grey.
void drawSilhouette(ButtonCanvas& cv, const Source& src, const QRect& rect)
{
    QImage mask(rect.size(), QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int y = 0; y < src.image.height() && y < mask.height(); ++y)
        for (int x = 0; x < src.image.width() && x < mask.width(); ++x)
            if (!src.transparentAt(x, y))
                mask.setPixel(x, y, qRgb(0, 0, 0));
    const QRgb brush = toQRgb(Grey);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
            const int tx = rect.x() + x;
            const int ty = rect.y() + y;
            if (!cv.paintable(tx, ty))
                continue;
            const QRgb S = mask.pixel(x, y);
            const QRgb D = toQRgb(cv.pixel(tx, ty));
            cv.setPixel(tx, ty, fromQRgb((brush ^ (S & (D ^ brush))) | 0xFF000000u));
        }
}

} // namespace

void PicturePainter::draw(ButtonCanvas& cv, const ButtonState& s, QRect rect)
{
    if (!s.hasPicture() || rect.isEmpty())
        return;
    const Source src = sourceFor(s, rect);
    if (src.image.isNull())
        return;
    if (s.enabled)
        drawOpaque(cv, src, rect);
    else
        drawSilhouette(cv, src, rect);
}
