#include "import/OutlineShape.h"

#include <QPainter>

OutlineShape::OutlineShape(int width, int height, QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFixedSize(width, height);
}

void OutlineShape::setBorderColor(Colour c)
{
    if (c == m_colour)
        return;
    m_colour = c;
    if (isVisible())
        update();
}

void OutlineShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::NoPen);
    const QColor colour = toQColor(m_colour);
    const int w = width(), h = height();
    p.fillRect(0, 0, w, 1, colour);
    p.fillRect(0, h - 1, w, 1, colour);
    p.fillRect(0, 0, 1, h, colour);
    p.fillRect(w - 1, 0, 1, h, colour);
}
