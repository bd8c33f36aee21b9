#include "controls/WidgetContainerHost.h"

#include "platform/SystemColor.h"

WidgetContainerHost::WidgetContainerHost(QWidget* container, Dialogs& dialogs, QString displayName)
    : m_container(container), m_dialogs(dialogs), m_displayName(std::move(displayName))
{
}

Colour WidgetContainerHost::ambientBackColor() const
{
    if (!m_container)
        return SystemColour(SystemColourIndex::ButtonFace);
    return fromQColor(m_container->palette().color(m_container->backgroundRole()));
}
