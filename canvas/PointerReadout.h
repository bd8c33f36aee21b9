#pragma once

#include "platform/Colour.h"

class QImage;

// What the view shows of the colour under the pointer, as the input side last read it.
class PointerReadout {
public:
    virtual float LastX() const = 0;
    virtual float LastY() const = 0;
    virtual ColorParts CursorRGB() const = 0;
    // The 16 x 16 swatch of the colour under the pointer.
    virtual const QImage& swatch() const = 0;

    virtual ~PointerReadout() = default;
};
