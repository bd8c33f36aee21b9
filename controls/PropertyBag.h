#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// The host form's saved data for one control: typed values under keys that match
// case-insensitively. Values equal to their write default are not stored, so a
// reader sees its own default for them. The bag serialises to bytes (and files)
// with QDataStream, so saved data survives the process that wrote it; images and
// fonts travel as their own types.
class PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    // Stores value unless it equals defaultValue. An invalid default means "none":
    // then only a null value is left out.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {});

    bool contains(const QString& name) const;
    // The stored keys in the order they were written.
    QStringList keys() const;
    // The value as stored (its own type), or an invalid variant.
    QVariant storedValue(const QString& name) const;
    void clear() { m_entries.clear(); }

    QByteArray toByteArray() const;
    // Replaces the contents; false (and an empty bag) when the bytes are not a bag.
    bool fromByteArray(const QByteArray& bytes);
    bool saveToFile(const QString& path) const;
    bool loadFromFile(const QString& path);

private:
    struct Entry {
        QString key;
        QVariant value;
    };
    int indexOf(const QString& name) const;
    bool readEntries(const QByteArray& bytes);
    QList<Entry> m_entries;
};
