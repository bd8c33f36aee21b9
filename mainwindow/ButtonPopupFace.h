#pragma once

#include "canvas/PopupFace.h"
#include "controls/WidgetContainerHost.h"
#include "controls/kuButtons_H.h"

#include <QList>
#include <memory>

class Dialogs;
class QWidget;

// The RGB popup's renderer: a hidden button (cmdRGB) restored from its saved settings
// (FlatLine, caption right, swatch at the left edge, Verdana 6.75 pt, grey text on the
// button face) whose own image is what the popup blends onto the view. The button renders
// a face only for a caption, picture and width it has not rendered yet: the last faces are
// kept, and forgotten when the button redraws itself (a palette or font change).
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
    // What the face's pixels depend on besides the saved settings.
    struct Look {
        QString caption;
        QImage picture;
        int width = 0;
        bool operator==(const Look&) const = default;
    };
    struct Face {
        Look look;
        QImage image;
    };
    static constexpr int KeptFaces = 32;

    WidgetContainerHost m_host;
    std::unique_ptr<kuButtons_H> m_button;
    Look m_look;
    mutable QList<Face> m_faces;
    mutable qint64 m_renderedKey = 0; // the button's image as the last face left it
};
