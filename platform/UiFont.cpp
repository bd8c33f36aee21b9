#include "platform/UiFont.h"

#include <QFontDatabase>
#include <QStringList>

QFont UiFont::font()
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(PointSize);
    return font;
}

QString UiFont::family()
{
    return QFontDatabase::families().contains(QStringLiteral("Verdana")) ? QStringLiteral("Verdana")
                                                                         : QStringLiteral("DejaVu Sans");
}
