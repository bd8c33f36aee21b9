#include "controls/PropertyBag.h"

#include <QDataStream>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <new>

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

// The value types a control saves. Anything else in a bag did not come from a control;
// refusing it keeps hostile data away from the deserialisers of every other Qt type.
bool storableType(int id)
{
    static const int ids[] = {
        QMetaType::fromType<bool>().id(),        QMetaType::fromType<qint32>().id(),
        QMetaType::fromType<quint32>().id(),     QMetaType::fromType<qint64>().id(),
        QMetaType::fromType<quint64>().id(),     QMetaType::fromType<double>().id(),
        QMetaType::fromType<qint16>().id(),      QMetaType::fromType<quint16>().id(),
        QMetaType::fromType<QString>().id(),     QMetaType::fromType<QByteArray>().id(),
        QMetaType::fromType<QVariantMap>().id(), QMetaType::fromType<QVariantList>().id(),
        QMetaType::fromType<QFont>().id(),       QMetaType::fromType<QImage>().id(),
    };
    return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

// A value that read without a stream error can still be one Qt cannot handle: a font
// without a family crashes when it is written back.
bool soundValue(const QVariant& v, int depth = 0)
{
    if (!v.isValid())
        return true;
    if (depth > 8 || !storableType(v.metaType().id()))
        return false;
    if (v.metaType() == QMetaType::fromType<QFont>())
        return !v.value<QFont>().families().isEmpty();
    if (v.metaType() == QMetaType::fromType<QVariantMap>()) {
        const QVariantMap map = v.toMap();
        return std::all_of(map.cbegin(), map.cend(),
                           [&](const QVariant& x) { return soundValue(x, depth + 1); });
    }
    if (v.metaType() == QMetaType::fromType<QVariantList>()) {
        const QVariantList list = v.toList();
        return std::all_of(list.cbegin(), list.cend(),
                           [&](const QVariant& x) { return soundValue(x, depth + 1); });
    }
    return true;
}

// QVariant's own reader builds whatever type the data names and reads maps and lists
// through it again, so a forged bag could reach any registered type's reader. This reads
// the same format (type id, null flag, value) but only for the storable types, walking
// maps and lists itself.
bool readValue(QDataStream& in, QVariant& value, int depth)
{
    quint32 typeId = 0;
    qint8 isNullFlag = 0;
    in >> typeId >> isNullFlag;
    if (in.status() != QDataStream::Ok)
        return false;
    if (typeId == QMetaType::UnknownType) {
        value = QVariant();
        return true;
    }
    if (depth > 8 || !storableType(int(typeId)))
        return false;
    if (typeId == quint32(QMetaType::fromType<QVariantMap>().id()) ||
        typeId == quint32(QMetaType::fromType<QVariantList>().id())) {
        const bool isMap = typeId == quint32(QMetaType::fromType<QVariantMap>().id());
        quint32 count = 0;
        in >> count;
        QVariantMap map;
        QVariantList list;
        // No reservation from the count: the data runs out long before a forged one does.
        for (quint32 i = 0; i < count; ++i) {
            QString key;
            if (isMap)
                in >> key;
            QVariant item;
            if (in.status() != QDataStream::Ok || !readValue(in, item, depth + 1))
                return false;
            if (isMap)
                map.insert(key, item);
            else
                list.append(item);
        }
        value = isMap ? QVariant(map) : QVariant(list);
        return true;
    }
    const QMetaType type = QMetaType(int(typeId));
    QVariant v(type);
    if (!type.load(in, v.data()) || in.status() != QDataStream::Ok)
        return false;
    value = v;
    return true;
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
    // Qt's readers size their lists from the counts in the data; a forged count asks
    // for gigabytes, and a refused allocation is a refused bag.
    try {
        return readEntries(bytes);
    } catch (const std::bad_alloc&) {
        m_entries.clear();
        return false;
    }
}

bool PropertyBag::readEntries(const QByteArray& bytes)
{
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
        in >> e.key;
        if (in.status() != QDataStream::Ok || !readValue(in, e.value, 0) || !soundValue(e.value))
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
