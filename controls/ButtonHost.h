#pragma once

#include "platform/Colour.h"

#include <QString>

class Dialogs;
class PropertyBag;

// What a button asks of the place it lives in: the form designer while a form is
// designed, the running form otherwise.
class ButtonHost {
public:
    virtual ~ButtonHost() = default;

    // Name the designer gives a new instance; it becomes the first caption.
    virtual QString displayName() const = 0;
    // Background colour of the container (may be a system colour).
    virtual Colour ambientBackColor() const = 0;
    // True while the form runs, false while it is designed.
    virtual bool userMode() const = 0;
    // Whether the host shows this control as its default button.
    virtual bool displayAsDefault() const = 0;
    // Where design-time advice is shown (information boxes).
    virtual Dialogs& dialogs() = 0;
    // The form's saved data for this control.
    virtual PropertyBag& propertyBag() = 0;
    // A property that is saved with the form has changed.
    virtual void propertyChanged(const QString& key) = 0;
    // The control gained or lost the keyboard focus; a host that shows the focused
    // button as its default answers displayAsDefault() accordingly.
    virtual void focusChanged(bool hasFocus) { (void)hasFocus; }
};
