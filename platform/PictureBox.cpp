#include "platform/PictureBox.h"

#include "platform/Surface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

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

namespace {

// The 2-pixel sunken border, filled as rectangles in widget pixels. qDrawWinPanel draws
// its lines one device pixel wide, which on a high-density screen leaves a thinner
// border and an unpainted ring inside it.
void drawSunkenBorder(QPainter& p, const QRect& r, const QPalette& pal)
{
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    auto line = [&p](int x0, int y0, int x1, int y1, const QColor& c) {
        p.fillRect(QRect(QPoint(x0, y0), QPoint(x1, y1)), c);
    };
    line(x, y, x + w - 2, y, pal.dark().color()); // outer top and left
    line(x, y, x, y + h - 2, pal.dark().color());
    line(x, y + h - 1, x + w - 1, y + h - 1, pal.light().color()); // outer bottom and right
    line(x + w - 1, y, x + w - 1, y + h - 1, pal.light().color());
    line(x + 1, y + 1, x + w - 3, y + 1, pal.shadow().color()); // inner top and left
    line(x + 1, y + 1, x + 1, y + h - 3, pal.shadow().color());
    line(x + 1, y + h - 2, x + w - 2, y + h - 2, pal.midlight().color()); // inner bottom and right
    line(x + w - 2, y + 1, x + w - 2, y + h - 2, pal.midlight().color());
}

} // namespace

PictureBox::PictureBox(QWidget* parent, bool sunkenBorder) : QWidget(parent), m_border(sunkenBorder)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void PictureBox::setSurface(const Surface* surface)
{
    if (m_surface)
        disconnect(m_surface, nullptr, this, nullptr);
    m_surface = surface;
    if (m_surface)
        connect(m_surface, &Surface::presented, this, &PictureBox::surfacePresented);
    update();
}

void PictureBox::setRenderer(Renderer renderer)
{
    m_renderer = std::move(renderer);
    update();
}

void PictureBox::updateArea(const QRect& area)
{
    update(area.translated(clientOrigin()).intersected(QRect(clientOrigin(), clientSize())));
}

void PictureBox::setClientSize(QSize size)
{
    setFixedSize(size.width() + 2 * borderWidth(), size.height() + 2 * borderWidth());
}

QSize PictureBox::clientSize() const
{
    return {width() - 2 * borderWidth(), height() - 2 * borderWidth()};
}

void PictureBox::setSurfaceOrigin(QPoint origin)
{
    if (origin == m_surfaceOrigin)
        return;
    m_surfaceOrigin = origin;
    update();
}

void PictureBox::surfacePresented(const QRect& changed)
{
    update(changed.translated(clientOrigin() + m_surfaceOrigin));
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
        drawSunkenBorder(p, rect(), palette());
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
    if (m_renderer) {
        // A large area is rendered in bands of a few rows through the same scratch, so a
        // whole repaint of the view needs no second image of the view's size.
        const QRect area = dirty.translated(-clientOrigin());
        const int rows = std::min(area.height(), RenderBandRows);
        if (m_rendered.width() < area.width() || m_rendered.height() < rows)
            m_rendered = QImage(std::max(m_rendered.width(), area.width()),
                                std::max(m_rendered.height(), rows), QImage::Format_RGB32);
        for (int top = area.top(); top <= area.bottom(); top += RenderBandRows) {
            const QRect band(area.left(), top, area.width(),
                             std::min(RenderBandRows, area.bottom() - top + 1));
            m_renderer(m_rendered, band);
            p.drawImage(band.topLeft() + clientOrigin(), m_rendered, QRect(QPoint(0, 0), band.size()));
        }
        return;
    }
    if (!m_surface) {
        p.fillRect(dirty, palette().color(QPalette::Button));
        return;
    }
    // Whatever the surface does not cover shows the surface's background.
    const QPoint origin = clientOrigin() + m_surfaceOrigin;
    const QRect source = dirty.translated(-origin);
    const QRect covered = source.intersected(m_surface->rect());
    if (covered != source)
        p.fillRect(dirty, toQColor(m_surface->backColor()));
    if (!covered.isEmpty())
        p.drawImage(covered.topLeft() + origin, m_surface->image(), covered);
}

QPointF PictureBox::clientPos(const QMouseEvent* event) const
{
    return event->position() - QPointF(clientOrigin());
}

bool PictureBox::inClient(const QMouseEvent* event) const
{
    const QPointF pos = clientPos(event);
    const QSize size = clientSize();
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() < size.width() && pos.y() < size.height();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    // The border is not drawing area: a press there is no event of the view.
    if (!inClient(event))
        return;
    m_ownButtons |= event->button();
    const QPointF pos = clientPos(event);
    emit mouseDown(buttonsToMask(event->button()), modifiersToMask(event->modifiers()), float(pos.x()),
                   float(pos.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    m_ownButtons &= event->buttons();
    m_pointerInClient = inClient(event);
    // Hovering over the border is no event; a press that began inside follows the
    // pointer anywhere.
    if (!m_pointerInClient && !m_ownButtons)
        return;
    const QPointF pos = clientPos(event);
    emit mouseMove(buttonsToMask(event->buttons() & m_ownButtons), modifiersToMask(event->modifiers()),
                   float(pos.x()), float(pos.y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    m_pointerInClient = inClient(event);
    if (!(m_ownButtons & event->button()))
        return;
    m_ownButtons &= ~event->button();
    const QPointF pos = clientPos(event);
    emit mouseUp(buttonsToMask(event->button()), modifiersToMask(event->modifiers()), float(pos.x()),
                 float(pos.y()));
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!inClient(event))
        return;
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    mousePressEvent(event);
}

void PictureBox::leaveEvent(QEvent* event)
{
    m_pointerInClient = false;
    emit pointerLeft();
    QWidget::leaveEvent(event);
}

void PictureBox::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    emit focusLost();
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), modifiersToMask(event->modifiers()));
}

void PictureBox::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeating sends releases too; only the real one is a key up.
    if (event->isAutoRepeat())
        return;
    emit keyUp(event->key(), modifiersToMask(event->modifiers()));
}
