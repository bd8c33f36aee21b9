#include "import/ImportFilter.h"

#include "files/FreeImageRuntime.h"

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

namespace {

// FreeImage's readable formats, lower-case extensions; none when it cannot be loaded.
QList<Format> freeImageFormats()
{
    QList<Format> formats;
    QString error;
    const FreeImageRuntime* fi = FreeImageRuntime::get(error);
    if (!fi)
        return formats; // the import helper cannot read with it either
    for (int i = 0; i < fi->GetFIFCount(); ++i) {
        const auto fif = FREE_IMAGE_FORMAT(i);
        const char* list = fi->GetFIFExtensionList(fif);
        if (!fi->FIFSupportsReading(fif) || !list)
            continue;
        const char* description = fi->GetFIFDescription(fif);
        Format f{QString::fromLatin1(description ? description : fi->GetFormatFromFIF(fif)), {}};
        for (const QString& e : QString::fromLatin1(list).split(',', Qt::SkipEmptyParts))
            f.extensions << e.toLower();
        formats << f;
    }
    return formats;
}

} // namespace

QList<Format> installedFormats()
{
    QList<Format> formats = freeImageFormats();
    // Qt's readers, under their own names, for what FreeImage does not read.
    for (const QByteArray& name : QImageReader::supportedImageFormats())
        formats << Format{QString::fromLatin1(name).toUpper(), {QString::fromLatin1(name).toLower()}};
    return formats;
}

} // namespace ImportFilter
