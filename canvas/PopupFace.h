#pragma once

#include <QImage>
#include <QString>

// The control that renders the RGB popup's image: a caption beside a picture, laid
// out at the control's own width and height, readable while the control is hidden.
class PopupFace {
public:
    virtual ~PopupFace() = default;

    virtual void setPicture(const QImage& picture) = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;
    virtual void setWidth(int width) = 0;
    virtual void setPosition(int left, int top) = 0;
    virtual int left() const = 0;
    virtual int top() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The control's current rendering, width() x height().
    virtual QImage image() const = 0;
};
