#include "controls/ButtonPersistence.h"

#include "controls/PropertyBag.h"
#include "controls/kuButtons_H.h"

#include <QFont>
#include <algorithm>

using namespace kuButtons;

namespace {

QVariant stored(Colour c)
{
    return qint32(c);
}
Colour colourFrom(const QVariant& v)
{
    return Colour(quint32(v.toLongLong()));
}
QVariant small(int v)
{
    return QVariant::fromValue(qint16(v));
}

QVariant pictureToVariant(const ButtonPicture& p)
{
    if (p.isNull())
        return {};
    QVariantMap map;
    map.insert(QStringLiteral("kind"), int(p.kind));
    map.insert(QStringLiteral("image"), p.image);
    return map;
}

ButtonPicture pictureFromVariant(const QVariant& v)
{
    ButtonPicture p;
    const QVariantMap map = v.toMap();
    p.image = map.value(QStringLiteral("image")).value<QImage>();
    p.kind = map.value(QStringLiteral("kind")).toInt() == 1 ? ButtonPicture::Icon : ButtonPicture::Bitmap;
    return p;
}

// A saved font replaces the one the button has; anything else leaves it.
void readFont(kuButtons_H& b, const QVariant& v)
{
    if (v.metaType() == QMetaType::fromType<QFont>())
        b.QWidget::setFont(v.value<QFont>());
}

} // namespace

const QList<ButtonPersistence::Row>& ButtonPersistence::rows()
{
    using B = kuButtons_H;
    using V = const QVariant&;
    constexpr bool Default = true;
    constexpr bool Always = false;
    // The container's background when nothing was saved.
    constexpr auto parentBack = [](const B& b) -> QVariant {
        const QWidget* p = b.parentWidget();
        return stored(p ? fromQColor(p->palette().color(p->backgroundRole())) : DefaultBackColor);
    };
    // The hover back colour follows the back colour (read before it).
    constexpr auto backColour = [](const B& b) { return stored(b.m.backColor); };

    // clang-format off
    // key, restore step, default, default from the button, written with the default,
    // read, write
    static const QList<Row> table = {
        {"Caption", 0, QString(), nullptr, Default,
         [](B& b, V v) { b.m.caption = v.toString(); },
         [](const B& b) { return QVariant(b.m.caption); }},
        {"CapAlign", 1, qint32(2), nullptr, Default,
         [](B& b, V v) { b.m.captionAlign = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.captionAlign)); }},
        {"BackStyle", 2, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m.buttonStyle = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.buttonStyle)); }},
        {"Shape", 3, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m.buttonShape = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.buttonShape)); }},
        {"Font", 7, {}, nullptr, Always,
         readFont,
         [](const B& b) { return QVariant(b.font()); }},
        {"cFore", 6, stored(DefaultForeColor), nullptr, Default,
         [](B& b, V v) { b.m.foreColor = colourFrom(v); },
         [](const B& b) { return stored(b.m.foreColor); }},
        {"cFHover", 15, stored(DefaultForeColor), nullptr, Default,
         [](B& b, V v) { b.m.hoverForeColor = colourFrom(v); },
         [](const B& b) { return stored(b.m.hoverForeColor); }},
        {"cBhover", 18, {}, backColour, Default,
         [](B& b, V v) { b.m.hoverBackColor = colourFrom(v); },
         [](const B& b) { return stored(b.m.hoverBackColor); }},
        {"Focus", 8, true, nullptr, Default,
         [](B& b, V v) { b.m.showFocusRect = v.toBool(); },
         [](const B& b) { return QVariant(b.m.showFocusRect); }},
        {"LockHover", 19, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m_hoverColorLocks = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m_hoverColorLocks)); }},
        {"cGradient", 5, stored(DefaultBackColor), nullptr, Default,
         [](B& b, V v) { b.m.gradientColor = colourFrom(v); },
         [](const B& b) { return stored(b.m.gradientColor); }},
        {"Gradient", 4, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m.gradientMode = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.gradientMode)); }},
        {"CapStyle", 20, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m.captionStyle = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.captionStyle)); }},
        {"Mode", 9, qint32(0), nullptr, Always,
         [](B& b, V v) { b.m.mode = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.mode)); }},
        {"Value", 10, false, nullptr, Always,
         [](B& b, V v) { b.m.value = v.toBool(); },
         [](const B& b) { return QVariant(b.m.value); }},
        {"CustomClick", 11, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m_customClick = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m_customClick)); }},
        {"ImgAlign", 14, qint32(0), nullptr, Default,
         [](B& b, V v) { b.m.pictureAlign = v.toInt(); },
         [](const B& b) { return QVariant(qint32(b.m.pictureAlign)); }},
        {"Image", 12, {}, nullptr, Always,
         [](B& b, V v) { b.m.picture = pictureFromVariant(v); },
         [](const B& b) { return pictureToVariant(b.m.picture); }},
        {"ImgSize", 13, small(16), nullptr, Default,
         [](B& b, V v) { b.m.pictureSize = v.toInt(); },
         [](const B& b) { return small(b.m.pictureSize); }},
        {"Enabled", 16, true, nullptr, Default,
         [](B& b, V v) { b.QWidget::setEnabled(v.toBool()); },
         [](const B& b) { return QVariant(b.isEnabled()); }},
        {"cBack", 17, {}, parentBack, Always,
         [](B& b, V v) { b.m.backColor = colourFrom(v); },
         [](const B& b) { return stored(b.m.backColor); }},
        {"mPointer", 22, small(0), nullptr, Default,
         [](B& b, V v) { b.setMousePointer(v.toInt()); },
         [](const B& b) { return small(b.m_mousePointer); }},
        {"mIcon", 21, {}, nullptr, Always,
         [](B& b, V v) { b.setMouseIcon(pictureFromVariant(v)); },
         [](const B& b) { return pictureToVariant(b.m_mouseIcon); }},
    };
    // clang-format on
    return table;
}

void ButtonPersistence::read(kuButtons_H& button, const PropertyBag& bag)
{
    QList<const Row*> order;
    for (const Row& row : rows())
        order << &row;
    std::sort(order.begin(), order.end(),
              [](const Row* a, const Row* b) { return a->restoreStep < b->restoreStep; });
    for (const Row* row : order) {
        const QVariant fallback = row->stateDefault ? row->stateDefault(button) : row->defaultValue;
        row->read(button, bag.ReadProperty(QString::fromLatin1(row->key), fallback));
    }
}

void ButtonPersistence::write(const kuButtons_H& button, PropertyBag& bag)
{
    for (const Row& row : rows()) {
        QVariant fallback;
        if (row.writeDefault)
            fallback = row.stateDefault ? row.stateDefault(button) : row.defaultValue;
        bag.WriteProperty(QString::fromLatin1(row.key), row.write(button), fallback);
    }
}
