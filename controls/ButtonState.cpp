#include "controls/ButtonState.h"

LayoutInput ButtonState::layoutInput() const
{
    LayoutInput in;
    in.width = width;
    in.height = height;
    in.leftInset = geometry.leftInset;
    in.rightLimit = geometry.rightLimit;
    in.shape = buttonShape;
    in.caption = caption;
    in.captionAlign = captionAlign;
    in.captionStyle = captionStyle;
    in.hasPicture = hasPicture();
    in.pictureSize = pictureSize == 0 ? 16 : pictureSize;
    in.pictureAlign = pictureAlign;
    in.pictureDims = picture.image.size();
    in.font = font;
    return in;
}

void ButtonState::prepare()
{
    const bool custom = kuButtons::isCustomShape(buttonShape);
    if (hasPicture() && picture.kind == ButtonPicture::Bitmap && custom)
        pictureCache.build(picture.image, QSize(width, height));
    geometry = ButtonRegion::BuildRegion(buttonShape, buttonStyle, enabled, width, height,
                                         custom ? &pictureCache : nullptr);
    layout = LayoutContent(layoutInput());
    if (hasPicture() && picture.kind == ButtonPicture::Bitmap && !custom)
        pictureCache.build(picture.image, layout.picture.size());
    deriveColours();
}
