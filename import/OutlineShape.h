#pragma once

#include "platform/Colour.h"

#include <QWidget>

// A rectangle outline drawn above its parent: a 1-pixel border, no fill, transparent to
// the mouse. It is a widget of its own, so it is never part of the parent's pixels.
class OutlineShape : public QWidget {
    Q_OBJECT
public:
    OutlineShape(int width, int height, QWidget* parent = nullptr);

    Colour borderColor() const { return m_colour; }
    void setBorderColor(Colour c);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colour m_colour = 0;
};
