#include "import/ImportFilter.h"

#include "import/FreeImageLibrary.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QSet>

namespace ImportFilter {

namespace {

QString patterns(const QStringList& extensions)
{
    QStringList list;
    for (const QString& e : extensions)
        list << "*." + e << "*." + e.toUpper();
    return list.join(';');
}

// The classic filters, each naming one extension of a format.
struct Classic {
    const char* description;
    const char* extension;
};
constexpr Classic classics[] = {{QT_TRANSLATE_NOOP("ImportFilter", "Windows Bitmap (*.bmp)"), "bmp"},
                                {QT_TRANSLATE_NOOP("ImportFilter", "JPEG Image (*.jpg)"), "jpg"},
                                {QT_TRANSLATE_NOOP("ImportFilter", "GIF Image (*.gif)"), "gif"},
                                {QT_TRANSLATE_NOOP("ImportFilter", "ZSoft Paintbrush (*.pcx)"), "pcx"}};

QString tr(const char* text)
{
    return QCoreApplication::translate("ImportFilter", text);
}

} // namespace

QString build(const QList<Format>& formats)
{
    QStringList all;
    QSet<QString> seen;
    for (const Format& f : formats)
        for (const QString& e : f.extensions)
            if (!seen.contains(e)) {
                seen.insert(e);
                all << e;
            }

    QStringList parts{tr("All pictures"), patterns(all)};
    for (const Classic& c : classics)
        parts << tr(c.description) << QStringLiteral("*.") + c.extension;
    QSet<QString> listed;
    for (const Format& f : formats) {
        const bool classic = std::any_of(std::begin(classics), std::end(classics), [&](const Classic& c) {
            return f.extensions.contains(QLatin1String(c.extension));
        });
        QStringList own;
        for (const QString& e : f.extensions)
            if (!listed.contains(e))
                own << e;
        if (classic || own.isEmpty())
            continue;
        for (const QString& e : own)
            listed.insert(e);
        parts << f.description << patterns(own);
    }
    parts << tr("All files") << QStringLiteral("*");
    return parts.join('|');
}

QList<Format> installedFormats()
{
    QList<Format> formats;
    for (const FreeImageLibrary::ReadableFormat& r : FreeImageLibrary::readableFormats()) {
        Format f{QString::fromStdString(r.description), {}};
        for (const std::string& e : r.extensions)
            f.extensions << QString::fromStdString(e);
        formats << f;
    }
    // Qt's readers, under their own names, for what FreeImage does not read.
    for (const QByteArray& name : QImageReader::supportedImageFormats())
        formats << Format{QString::fromLatin1(name).toUpper(), {QString::fromLatin1(name).toLower()}};
    return formats;
}

} // namespace ImportFilter
