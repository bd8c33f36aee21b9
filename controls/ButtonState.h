#pragma once

#include "controls/ButtonColours.h"
#include "controls/ButtonLayout.h"
#include "controls/ButtonRegion.h"
#include "controls/ButtonTypes.h"
#include "controls/PictureCache.h"

#include <QFont>
#include <QString>

// Everything a paint pass reads: the properties, the interaction state and what the
// layout and region steps computed. The widget owns one; tests build their own to
// render any style or shape without a window.
struct ButtonState {
    int width = 0;
    int height = 0;

    QString caption;
    int captionAlign = kuButtons::AlignCenter;
    int captionStyle = kuButtons::Flat;
    int buttonStyle = kuButtons::Bevel3D;
    int buttonShape = kuButtons::Rectangular;
    int mode = kuButtons::CommandButton;
    bool value = false;
    bool showFocusRect = true;
    unsigned stateBits = 0; // kuButtons::StateBit
    bool hovering = false;
    bool buttonDown = false;
    bool enabled = true;
    bool userMode = true;

    Colour foreColor = kuButtons::DefaultForeColor;
    Colour backColor = kuButtons::DefaultBackColor;
    Colour hoverForeColor = kuButtons::DefaultForeColor;
    Colour hoverBackColor = kuButtons::DefaultBackColor;
    Colour gradientColor = 0;
    int gradientMode = kuButtons::NoGradient;
    DerivedColours derived;
    Colour containerBackColor = 0xC0C0C0; // RGB

    QFont font; // the drawing font, pixel sized

    ButtonPicture picture;
    int pictureSize = 16; // pixels
    int pictureAlign = kuButtons::PicLeftEdge;
    PictureCache pictureCache;

    ButtonGeometry geometry;
    LayoutResult layout;

    // Screen size in pixels, for the gradient band rule.
    QSize screenSize{1280, 1024};

    bool has(unsigned bit) const { return (stateBits & bit) != 0; }
    bool pressedAndOver() const { return has(kuButtons::IsPressed) && has(kuButtons::IsOver); }
    bool hasPicture() const { return !picture.isNull(); }

    // Recomputes the derived colours from the colour properties.
    void deriveColours() { derived = ::deriveColours(buttonStyle, backColor, hoverBackColor); }
    LayoutInput layoutInput() const;
    // Region, layout and picture cache for the current size and properties, without
    // any of the resizing the widget does for diagonal and custom shapes.
    void prepare();
};
