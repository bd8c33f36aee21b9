#include "controls/OptionGroup.h"

#include "controls/kuButtons_H.h"

#include <QVariant>
#include <QWidget>

namespace {

const char* const CountKey = "ku_OptCount";

QByteArray slotKey(int n)
{
    return QByteArray::number(n) + "ku_Obj";
}

} // namespace

namespace OptionGroup {

int count(const QWidget* container)
{
    if (!container)
        return 0;
    const QVariant v = container->property(CountKey);
    return v.isValid() ? v.toInt() : 0;
}

kuButtons_H* member(const QWidget* container, int slot)
{
    if (!container)
        return nullptr;
    return qobject_cast<kuButtons_H*>(container->property(slotKey(slot).constData()).value<QObject*>());
}

bool contains(const QWidget* container, const kuButtons_H* button)
{
    for (int n = 1; n <= count(container); ++n)
        if (member(container, n) == button)
            return true;
    return false;
}

kuButtons_H* neighbour(const QWidget* container, const kuButtons_H* button, int step)
{
    const int n = count(container);
    int at = 0;
    for (int i = 1; i <= n && !at; ++i)
        if (member(container, i) == button)
            at = i;
    if (!at)
        return nullptr;
    for (int k = 1; k < n; ++k) {
        const int slot = ((at - 1 + k * step) % n + n) % n + 1;
        kuButtons_H* m = member(container, slot);
        if (m && m->isEnabled() && m->isVisibleTo(container))
            return m;
    }
    return nullptr;
}

bool UpdateOptionGroup(QWidget* container, kuButtons_H* button, int action)
{
    if (!container || !button)
        return false;
    const int n = count(container);

    if ((action == Register || n > 0) && button->value()) {
        for (int i = 1; i <= n; ++i) {
            kuButtons_H* other = member(container, i);
            if (other && other != button)
                other->setvalue(false);
        }
    }

    switch (action) {
    case Unregister: {
        int found = 0;
        for (int i = 1; i <= n; ++i) {
            if (found) {
                container->setProperty(slotKey(i - 1).constData(),
                                       container->property(slotKey(i).constData()));
            } else if (member(container, i) == button) {
                found = i;
            }
        }
        if (!found)
            return false; // not a member: leave the table as it is
        container->setProperty(slotKey(n).constData(), QVariant());
        if (n <= 1)
            container->setProperty(CountKey, QVariant());
        else
            container->setProperty(CountKey, n - 1);
        return false;
    }
    case Register:
        if (contains(container, button))
            return false; // registering twice would leave a stale slot behind
        container->setProperty(CountKey, n + 1);
        container->setProperty(slotKey(n + 1).constData(), QVariant::fromValue<QObject*>(button));
        return false;
    case AnyOn:
        for (int i = 1; i <= n; ++i) {
            kuButtons_H* m = member(container, i);
            if (m && m->value())
                return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace OptionGroup
