#pragma once

#include "platform/Colour.h"

#include <QImage>

// Enumerations of the button control, with the values that are stored and compared.
namespace kuButtons {

enum ButtonStyle {
    Bevel3D = 0,
    SoftBevel,
    BrightRounded,
    GreyFramed,
    FlatLine,
    HotTrack,
    LightBevel,
    ShadedRounded
};
enum Mode { CommandButton = 0, CheckBox, OptionButton };
enum ButtonShape {
    Rectangular = 0,
    DiagonalLeft,
    DiagonalRight,
    DiagonalBoth,
    OvalShaded,
    OvalShaded2,
    OvalOutlined,
    CustomShape1,
    CustomShape2
};
enum CaptionAlign { AlignLeft = 0, AlignRight, AlignCenter };
enum CaptionStyle { Flat = 0, Embossed, Engraved };
enum HoverColorLocks { LocksBoth = 0, LocksForeOnly, LocksBackOnly, LocksNone };
enum PictureAlign {
    PicLeftEdge = 0,
    PicLeftOfCaption,
    PicRightEdge,
    PicRightOfCaption,
    PicTopCenter,
    PicBottomCenter
};
enum GradientMode { NoGradient = 0, LeftToRight, RightToLeft, TopToBottom, BottomToTop };
enum PictureSize { Size16 = 0, Size24, Size32, SizeStretch, SizeFit };

// State bits of the instance record. Moved marks a custom-click button that is displaced.
enum StateBit : unsigned { IsDefault = 1, IsPressed = 2, IsOver = 4, IsMoved = 8 };

inline constexpr Colour DefaultBackColor = 0x8000000Fu; // button face
inline constexpr Colour DefaultForeColor = 0x80000012u; // button text

constexpr bool isRectangularFamily(int shape)
{
    return shape >= Rectangular && shape <= DiagonalBoth;
}
constexpr bool isOval(int shape)
{
    return shape >= OvalShaded && shape <= OvalOutlined;
}
constexpr bool isCustomShape(int shape)
{
    return shape == CustomShape1 || shape == CustomShape2;
}

// Stored picture size in pixels from the exposed option, and back (the exact inverse,
// so 40 reads back as option 3). 0 is read as 16.
constexpr int pictureSizePixels(int option)
{
    return (option + 2) * 8;
}
constexpr int pictureSizeOption(int pixels)
{
    return (pixels == 0 ? 16 : pixels) / 8 - 2;
}

} // namespace kuButtons

// A picture assigned to a button: a bitmap (JPEG counts as one) or an icon. Icons are
// drawn with their own transparency; bitmaps use their top-left pixel as the key.
struct ButtonPicture {
    enum Kind { Bitmap = 0, Icon = 1 };
    QImage image;
    Kind kind = Bitmap;

    bool isNull() const { return image.isNull(); }
    friend bool operator==(const ButtonPicture& a, const ButtonPicture& b)
    {
        return a.kind == b.kind && a.image == b.image;
    }
};
