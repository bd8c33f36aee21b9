#include "mainwindow/ColourWell.h"

ColourWell::ColourWell(Colour fill, QWidget* parent) : PictureBox(parent), m_surface(45, 45, fill)
{
    setSurface(&m_surface);
    setClientSize(m_surface.size());
}

void ColourWell::setFill(Colour c)
{
    m_surface.setBackColor(c);
    m_surface.present();
}
