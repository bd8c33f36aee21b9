#pragma once

#include <QString>
#include <QStringList>

// The import dialog's filter: "All pictures" with every extension a reader knows (both
// cases), then the four classic filters, one per other format, and "All files".
namespace ImportFilter {

struct Format {
    QString description;
    QStringList extensions; // lower case, no dot
};

// Written as "description|pattern;pattern|..." for the Dialogs interface.
QString build(const QList<Format>& formats);
// What FreeImage and Qt's image readers read on this system.
QList<Format> installedFormats();

} // namespace ImportFilter
