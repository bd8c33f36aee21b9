#include "platform/SystemColor.h"

#include <QGuiApplication>

namespace {

QColor paletteColour(int index, const QPalette& p)
{
    switch (index) {
    case 0:
        return p.color(QPalette::Button); // scroll bar
    case 1:
        return p.color(QPalette::Dark); // desktop
    case 2:
        return p.color(QPalette::Highlight); // active caption
    case 3:
        return p.color(QPalette::Inactive, QPalette::Highlight); // inactive caption
    case 4:
        return p.color(QPalette::Window); // menu
    case 5:
        return p.color(QPalette::Base); // window
    case 6:
        return p.color(QPalette::Shadow); // window frame
    case 7:
        return p.color(QPalette::WindowText); // menu text
    case 8:
        return p.color(QPalette::Text); // window text
    case 9:
        return p.color(QPalette::HighlightedText); // caption text
    case 10:
        return p.color(QPalette::Button); // active border
    case 11:
        return p.color(QPalette::Button); // inactive border
    case 12:
        return p.color(QPalette::Mid); // application workspace
    case 13:
        return p.color(QPalette::Highlight);
    case 14:
        return p.color(QPalette::HighlightedText);
    case 15:
        return p.color(QPalette::Button);
    case 16:
        return p.color(QPalette::Dark);
    case 17:
        return p.color(QPalette::Disabled, QPalette::WindowText);
    case 18:
        return p.color(QPalette::ButtonText);
    case 19:
        return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20:
        return p.color(QPalette::Light);
    case 21:
        return p.color(QPalette::Shadow);
    case 22:
        return p.color(QPalette::Midlight);
    case 23:
        return p.color(QPalette::ToolTipText);
    case 24:
        return p.color(QPalette::ToolTipBase);
    case 26:
        return p.color(QPalette::Link); // hot-tracked item
    case 27:
        return p.color(QPalette::Highlight); // gradient active caption
    case 28:
        return p.color(QPalette::Inactive, QPalette::Highlight);
    case 29:
        return p.color(QPalette::Highlight); // menu highlight
    case 30:
        return p.color(QPalette::Window); // menu bar
    default:
        return p.color(QPalette::Window);
    }
}

} // namespace

Colour SystemColorToRgb(Colour c, const QPalette& palette)
{
    if (!isSystemColour(c))
        return c;
    return fromQColor(paletteColour(int(c & 0xFF), palette));
}

Colour SystemColorToRgb(Colour c)
{
    return SystemColorToRgb(c, QGuiApplication::palette());
}
