#pragma once

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

// Encoders by the extension patterns they claim ("*.jpg"), found in any letter case.
class EncoderIndex {
    Q_DECLARE_TR_FUNCTIONS(cGdiPlus)

public:
    void clear() { m_byExtension.clear(); }
    // Indexes each piece of text between separators, and the last piece trimmed of
    // spaces, under the encoder's index. Throws CommandError when a piece is taken.
    void add(const QString& text, const QString& separator, int index);
    // The encoder index for a pattern; -1 if none.
    int find(const QString& key) const { return m_byExtension.value(key.toCaseFolded(), -1); }
    QStringList keys() const { return m_byExtension.keys(); }

    // The text after the name's last ".", empty when a folder separator follows it.
    static QString extensionOf(const QString& name);

private:
    QMap<QString, int> m_byExtension; // keys case-folded
};
