#pragma once

#include "platform/PictureBox.h"
#include "platform/Surface.h"

// A colour well: a bordered box filled with one colour.
class ColourWell : public PictureBox {
    Q_OBJECT
public:
    ColourWell(Colour fill, QWidget* parent = nullptr);

    Colour fill() const { return m_surface.backColor(); }
    void setFill(Colour c);

private:
    Surface m_surface;
};
