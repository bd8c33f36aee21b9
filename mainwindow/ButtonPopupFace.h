#pragma once

#include "canvas/PopupFace.h"
#include "controls/WidgetContainerHost.h"
#include "controls/kuButtons_H.h"

#include <memory>

class Dialogs;
class QWidget;

// The RGB popup's renderer: a hidden button (cmdRGB) restored from its saved settings
// (FlatLine, caption right, swatch at the left edge, Verdana 6.75 pt, grey text on the
// button face) whose own image is what the popup blends onto the view.
class ButtonPopupFace : public PopupFace {
public:
    ButtonPopupFace(QWidget* form, Dialogs& dialogs);
    ~ButtonPopupFace() override;

    void setPicture(const QImage& picture) override;
    void setCaption(const QString& caption) override;
    QString caption() const override;
    void setWidth(int width) override;
    void setPosition(int left, int top) override;
    int left() const override;
    int top() const override;
    int width() const override;
    int height() const override;
    QImage image() const override;

    kuButtons_H& cmdRGB() { return *m_button; }
    // The saved settings the button is restored from.
    static PropertyBag savedSettings();

private:
    WidgetContainerHost m_host;
    std::unique_ptr<kuButtons_H> m_button;
};
