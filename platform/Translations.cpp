#include "platform/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void installTranslations(QCoreApplication& app)
{
    const QLocale locale;
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);

    const QStringList folders{QStringLiteral(":/i18n"),
                              QCoreApplication::applicationDirPath() +
                                  QStringLiteral("/../share/pictoria/translations")};
    for (const QString& folder : folders) {
        auto* own = new QTranslator(&app);
        if (own->load(locale, QStringLiteral("pictoria"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(own);
            break;
        }
        delete own;
    }
}
