#include "controls/PropertyBag.h"

#include <QDataStream>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QSaveFile>

namespace {

constexpr quint32 BagMagic = 0x6B754250; // "kuBP"
constexpr quint16 BagVersion = 1;

bool isNone(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (v.metaType() == QMetaType::fromType<QVariantMap>())
        return v.toMap().isEmpty();
    return false;
}

// QVariant's own comparison does not know every GUI type, so pictures and fonts are
// compared by their values here.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.metaType() == QMetaType::fromType<QFont>() && b.metaType() == QMetaType::fromType<QFont>())
        return a.value<QFont>() == b.value<QFont>();
    if (a.metaType() == QMetaType::fromType<QImage>() && b.metaType() == QMetaType::fromType<QImage>())
        return a.value<QImage>() == b.value<QImage>();
    if (a.metaType() == QMetaType::fromType<QString>() || b.metaType() == QMetaType::fromType<QString>())
        return a.metaType() == b.metaType() && a.toString() == b.toString();
    if (a.metaType() == QMetaType::fromType<bool>() || b.metaType() == QMetaType::fromType<bool>())
        return a.toBool() == b.toBool();
    bool okA = false;
    bool okB = false;
    const qlonglong ia = a.toLongLong(&okA);
    const qlonglong ib = b.toLongLong(&okB);
    if (okA && okB)
        return ia == ib;
    return a == b;
}

} // namespace

int PropertyBag::indexOf(const QString& name) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].key.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const int i = indexOf(name);
    return i < 0 ? defaultValue : m_entries[i].value;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    const int i = indexOf(name);
    const bool leaveOut = defaultValue.isValid() ? sameValue(value, defaultValue) : isNone(value);
    if (leaveOut) {
        if (i >= 0)
            m_entries.removeAt(i);
        return;
    }
    if (i >= 0)
        m_entries[i].value = value;
    else
        m_entries.append({name, value});
}

bool PropertyBag::contains(const QString& name) const
{
    return indexOf(name) >= 0;
}

QStringList PropertyBag::keys() const
{
    QStringList out;
    for (const Entry& e : m_entries)
        out << e.key;
    return out;
}

QVariant PropertyBag::storedValue(const QString& name) const
{
    const int i = indexOf(name);
    return i < 0 ? QVariant() : m_entries[i].value;
}

QByteArray PropertyBag::toByteArray() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << BagMagic << BagVersion << qint32(m_entries.size());
    for (const Entry& e : m_entries)
        out << e.key << e.value;
    return bytes;
}

bool PropertyBag::fromByteArray(const QByteArray& bytes)
{
    m_entries.clear();
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    qint32 count = 0;
    in >> magic >> version >> count;
    if (in.status() != QDataStream::Ok || magic != BagMagic || version != BagVersion || count < 0)
        return false;
    QList<Entry> entries;
    for (qint32 i = 0; i < count; ++i) {
        Entry e;
        in >> e.key >> e.value;
        if (in.status() != QDataStream::Ok)
            return false;
        entries.append(e);
    }
    m_entries = entries;
    return true;
}

bool PropertyBag::saveToFile(const QString& path) const
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toByteArray();
    if (f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

bool PropertyBag::loadFromFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_entries.clear();
        return false;
    }
    return fromByteArray(f.readAll());
}
