#include "platform/PictureBox.h"

#include "platform/Surface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

int buttonsToMask(Qt::MouseButtons buttons)
{
    int mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= MouseButton::Left;
    if (buttons & Qt::RightButton)
        mask |= MouseButton::Right;
    if (buttons & Qt::MiddleButton)
        mask |= MouseButton::Middle;
    return mask;
}

int modifiersToMask(Qt::KeyboardModifiers modifiers)
{
    int mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= ShiftMask::Shift;
    if (modifiers & Qt::ControlModifier)
        mask |= ShiftMask::Ctrl;
    if (modifiers & Qt::AltModifier)
        mask |= ShiftMask::Alt;
    return mask;
}

PictureBox::PictureBox(QWidget* parent, bool sunkenBorder) : QWidget(parent), m_border(sunkenBorder)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void PictureBox::setSurface(Surface* surface)
{
    if (m_surface)
        disconnect(m_surface, nullptr, this, nullptr);
    m_surface = surface;
    if (m_surface)
        connect(m_surface, &Surface::presented, this, &PictureBox::surfacePresented);
    update();
}

void PictureBox::setClientSize(QSize size)
{
    setFixedSize(size.width() + 2 * borderWidth(), size.height() + 2 * borderWidth());
}

QSize PictureBox::clientSize() const
{
    return {width() - 2 * borderWidth(), height() - 2 * borderWidth()};
}

void PictureBox::surfacePresented(const QRect& changed)
{
    update(changed.translated(clientOrigin()));
}

void PictureBox::resetPaintStats()
{
    m_paintedArea = 0;
    m_paintedRegion = QRegion();
    m_paintEvents = 0;
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect client(clientOrigin(), clientSize());
    if (m_border && !client.contains(event->rect()))
        qDrawWinPanel(&p, rect(), palette(), true);
    ++m_paintEvents;
    // Rectangle by rectangle: a cell and a popup far apart are two small areas, not the
    // rectangle around both.
    for (const QRect& r : event->region()) {
        const QRect dirty = r.intersected(client);
        if (dirty.isEmpty())
            continue;
        m_paintedArea += qint64(dirty.width()) * dirty.height();
        m_paintedRegion += dirty;
        paintArea(p, dirty);
    }
}

void PictureBox::paintArea(QPainter& p, const QRect& dirty)
{
    if (!m_surface) {
        p.fillRect(dirty, palette().color(QPalette::Button));
        return;
    }
    // Whatever the surface does not cover shows the surface's background.
    const QRect source = dirty.translated(-clientOrigin());
    const QRect covered = source.intersected(m_surface->rect());
    if (covered != source)
        p.fillRect(dirty, toQColor(m_surface->backColor()));
    if (!covered.isEmpty())
        p.drawImage(covered.topLeft() + clientOrigin(), m_surface->image(), covered);
}

QPointF PictureBox::clientPos(const QMouseEvent* event) const
{
    return event->position() - QPointF(clientOrigin());
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = clientPos(event);
    emit mouseDown(buttonsToMask(event->button()), modifiersToMask(event->modifiers()), float(pos.x()),
                   float(pos.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = clientPos(event);
    emit mouseMove(buttonsToMask(event->buttons()), modifiersToMask(event->modifiers()), float(pos.x()),
                   float(pos.y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF pos = clientPos(event);
    emit mouseUp(buttonsToMask(event->button()), modifiersToMask(event->modifiers()), float(pos.x()),
                 float(pos.y()));
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    mousePressEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), modifiersToMask(event->modifiers()));
}

void PictureBox::keyReleaseEvent(QKeyEvent* event)
{
    emit keyUp(event->key(), modifiersToMask(event->modifiers()));
}
