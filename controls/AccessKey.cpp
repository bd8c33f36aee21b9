#include "controls/AccessKey.h"

QChar accessKeyOf(const QString& caption)
{
    QChar key;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
            ++i; // a literal ampersand
            continue;
        }
        key = i + 1 < caption.size() ? caption[i + 1] : QChar();
    }
    return key;
}
