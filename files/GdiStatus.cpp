#include "files/GdiStatus.h"

QString GdiStatus::text(int status)
{
    static const char* const texts[] = {
        "Generic Error",
        "Invalid Parameter",
        "Out Of Memory",
        "Object Busy",
        "Insufficient Buffer",
        "Not Implemented",
        "Win32 Error",
        "Wrong State",
        "Aborted",
        "File Not Found",
        "Value Overflow",
        "Access Denied",
        "Unknown Image Format",
        "FontFamily Not Found",
        "FontStyle Not Found",
        "Not TrueType Font",
        "Unsupported Gdiplus Version",
        "Gdiplus Not Initialized",
        "Property Not Found",
        "Property Not Supported",
    };
    if (status >= 1 && status <= 20)
        return QString::fromLatin1(texts[status - 1]);
    return tr("Unknown GDI+ Error");
}
