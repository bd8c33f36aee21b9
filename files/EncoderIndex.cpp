#include "files/EncoderIndex.h"

#include "platform/CommandError.h"

void EncoderIndex::add(const QString& text, const QString& separator, int index)
{
    auto add = [&](const QString& key) {
        const QString folded = key.toCaseFolded();
        if (m_byExtension.contains(folded))
            throw CommandError(457, tr("This key is already associated with an element of this collection"));
        m_byExtension.insert(folded, index);
    };
    qsizetype start = 0;
    if (!separator.isEmpty()) {
        for (qsizetype p = text.indexOf(separator, start); p >= 0; p = text.indexOf(separator, start)) {
            add(text.mid(start, p - start));
            start = p + separator.size();
        }
    }
    // Only the last piece is trimmed, and only of spaces.
    QString rest = text.mid(start);
    qsizetype first = 0, last = rest.size();
    while (first < last && rest[first] == u' ')
        ++first;
    while (last > first && rest[last - 1] == u' ')
        --last;
    rest = rest.mid(first, last - first);
    if (!rest.isEmpty())
        add(rest);
}

QString EncoderIndex::extensionOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    // Either separator: names come from this platform's dialogs or typed Windows-style.
    if (name.indexOf(u'\\', dot) >= 0 || name.indexOf(u'/', dot) >= 0)
        return {};
    return name.mid(dot + 1);
}
