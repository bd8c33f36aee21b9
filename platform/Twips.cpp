#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

const QScreen* screenOf(const QWidget* widget)
{
    if (widget && widget->screen())
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

double twipsPerPixel(double dpi)
{
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

} // namespace

double twipsPerPixelX(const QWidget* widget)
{
    const QScreen* s = screenOf(widget);
    return twipsPerPixel(s ? s->logicalDotsPerInchX() : 96.0);
}

double twipsPerPixelY(const QWidget* widget)
{
    const QScreen* s = screenOf(widget);
    return twipsPerPixel(s ? s->logicalDotsPerInchY() : 96.0);
}
