#pragma once

#include "platform/Colour.h"

#include <QPixmap>
#include <QRect>
#include <QString>

// What the painting tools reach of the window around them, and nothing more.
class ToolEnvironment {
public:
    enum class Well { Foreground, Background, Replace1, Replace2 };
    enum class ViewCursor { Crosshair, Eyedropper };

    virtual ~ToolEnvironment() = default;

    virtual void showCell(const QString& text) = 0; // status panel 3
    // Status panel 2: the swatch and text, and the tooltip telling more.
    virtual void showColour(const QPixmap& swatch, const QString& text, const QString& tip) = 0;
    virtual bool useForegroundBackgroundForReplace() const = 0; // the "Use FG/BG Colors" box
    virtual void setViewCursor(ViewCursor cursor) = 0;
    // A picked colour goes into the editing state and its well together.
    virtual void pickColour(Well well, Colour c) = 0;
    // The RGB popup's step of a pointer move, and its redraw at the last position.
    virtual void popupStep(int shift, float x, float y) = 0;
    virtual void redrawPopup() = 0;
    // Whether the pointer is over the view's drawing area now.
    virtual bool pointerOverView() const { return false; }
    // Scrolls the view, where it scrolls, so that the view pixels are in sight.
    virtual void keepInView(const QRect&) {}
};
