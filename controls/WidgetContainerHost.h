#pragma once

#include "controls/ButtonHost.h"
#include "controls/PropertyBag.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class Dialogs;

// A host for buttons placed on an ordinary widget: the container's palette gives the
// ambient background, the form is running unless told otherwise, and the property
// store is held here. Property-changed keys are kept in order (the designer's
// "dirty" list), which also lets tests read them back; only the latest MaxChanged are
// kept, so a button whose properties change on every pointer move (the RGB popup's face)
// does not grow the list for as long as the program runs.
class WidgetContainerHost : public ButtonHost {
public:
    WidgetContainerHost(QWidget* container, Dialogs& dialogs,
                        QString displayName = QStringLiteral("kuButton1"));

    QString displayName() const override { return m_displayName; }
    Colour ambientBackColor() const override;
    bool userMode() const override { return m_userMode; }
    bool displayAsDefault() const override { return m_displayAsDefault; }
    Dialogs& dialogs() override { return m_dialogs; }
    PropertyBag& propertyBag() override { return m_bag; }
    static constexpr qsizetype MaxChanged = 64;

    void propertyChanged(const QString& key) override
    {
        if (m_changed.size() >= MaxChanged)
            m_changed.removeFirst();
        m_changed << key;
    }
    // While the form runs, the focused button is shown as the default one.
    void focusChanged(bool hasFocus) override
    {
        if (m_userMode && m_defaultFollowsFocus)
            m_displayAsDefault = hasFocus;
    }
    void setDefaultFollowsFocus(bool on) { m_defaultFollowsFocus = on; }

    void setUserMode(bool running) { m_userMode = running; }
    void setDisplayAsDefault(bool on) { m_displayAsDefault = on; }
    void setDisplayName(const QString& name) { m_displayName = name; }
    QWidget* container() const { return m_container; }

    const QStringList& changedProperties() const { return m_changed; }
    void clearChangedProperties() { m_changed.clear(); }

private:
    QPointer<QWidget> m_container;
    Dialogs& m_dialogs;
    QString m_displayName;
    bool m_userMode = true;
    bool m_displayAsDefault = false;
    bool m_defaultFollowsFocus = true;
    PropertyBag m_bag;
    QStringList m_changed;
};
