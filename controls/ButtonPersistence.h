#pragma once

#include <QList>
#include <QVariant>

class kuButtons_H;
class PropertyBag;

// The button's saved data: one row per property with its key, its default and how the
// value is read into the button and written from it. Writing follows the rows in the
// saved layout's order; reading follows each row's restore step, since some values are
// applied through setters or take their default from a value read before them.
class ButtonPersistence {
public:
    struct Row {
        const char* key;
        int restoreStep;
        // The default; stateDefault, when set, computes it from the button instead.
        QVariant defaultValue;
        QVariant (*stateDefault)(const kuButtons_H&);
        // Reading uses the default; writing leaves values equal to it out only when
        // writeDefault is true (otherwise only a null value is left out).
        bool writeDefault;
        void (*read)(kuButtons_H&, const QVariant&);
        QVariant (*write)(const kuButtons_H&);
    };

    // In the saved layout's order.
    static const QList<Row>& rows();

    static void read(kuButtons_H& button, const PropertyBag& bag);
    static void write(const kuButtons_H& button, PropertyBag& bag);
};
