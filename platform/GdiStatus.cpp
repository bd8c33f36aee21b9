#include "platform/GdiStatus.h"

QString GdiStatus::text(int status)
{
    static const char* const texts[] = {
        QT_TRANSLATE_NOOP("cGdiPlus", "Generic Error"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Invalid Parameter"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Out Of Memory"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Object Busy"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Insufficient Buffer"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Not Implemented"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Win32 Error"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Wrong State"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Aborted"),
        QT_TRANSLATE_NOOP("cGdiPlus", "File Not Found"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Value Overflow"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Access Denied"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Unknown Image Format"),
        QT_TRANSLATE_NOOP("cGdiPlus", "FontFamily Not Found"),
        QT_TRANSLATE_NOOP("cGdiPlus", "FontStyle Not Found"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Not TrueType Font"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Unsupported Gdiplus Version"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Gdiplus Not Initialized"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Property Not Found"),
        QT_TRANSLATE_NOOP("cGdiPlus", "Property Not Supported"),
    };
    if (status >= 1 && status <= 20)
        return tr(texts[status - 1]);
    return tr("Unknown GDI+ Error");
}
