#include "controls/ButtonInput.h"

#include "controls/OptionGroup.h"
#include "controls/kuButtons_H.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>

using namespace kuButtons;

namespace {

short buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

short buttonsOf(Qt::MouseButtons b)
{
    return short((b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
                 (b & Qt::MiddleButton ? 4 : 0));
}

short shiftOf(Qt::KeyboardModifiers m)
{
    return short((m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                 (m & Qt::AltModifier ? 4 : 0));
}

// Windows virtual-key codes, which the key events carry.
short virtualKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_End:
        return 35;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    default:
        break;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return short(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return short(112 + (key - Qt::Key_F1));
    return short(key & 0xFF);
}

struct ArrowKey {
    short vk;
    Qt::Key key;
    quint32 scanCode;
};
constexpr ArrowKey Arrows[] = {
    {37, Qt::Key_Left, 0x4B}, {38, Qt::Key_Up, 0x48}, {39, Qt::Key_Right, 0x4D}, {40, Qt::Key_Down, 0x50}};

int dropEffectOf(Qt::DropAction a)
{
    switch (a) {
    case Qt::CopyAction:
        return 1;
    case Qt::MoveAction:
        return 2;
    default:
        return 0;
    }
}

} // namespace

ButtonInput::ButtonInput(kuButtons_H& button) : b(button)
{
    m_hoverTimer.setInterval(kuButtons_H::HoverIntervalMs);
}

void ButtonInput::onMouseDown(short Button, short Shift, float X, float Y)
{
    m_lastButton = Button;
    if (Button == 1) {
        b.setState(IsPressed, true);
        b.m.buttonDown = true;
        b.m_delayDrawing = false;
        b.RedrawButton();
        // Qt grabs the pointer for the widget a button was pressed on until release.
    }
    emit b.MouseDown(Button, Shift, X, Y);
}

void ButtonInput::startHover()
{
    b.setState(IsOver, true);
    emit b.MouseOnButton(true);
    b.setProperty("ku_ClassID", QVariant::fromValue(quintptr(&b)));
    b.setProperty("ku_TimerID", kuButtons_H::HoverTimerId);
    m_hoverTimer.start();
    b.m.hovering = true;
    b.m_delayDrawing = false;
}

void ButtonInput::onMouseMove(short Button, short Shift, float X, float Y)
{
    try {
        if (!b.m.hovering && m_probe && m_probe() == &b) {
            startHover();
            if (Button == 1)
                b.m.buttonDown = true;
            b.RedrawButton();
        }
    } catch (...) {
    }
    emit b.MouseMove(Button, Shift, X, Y);
}

void ButtonInput::CheckHoverExit()
{
    if (m_probe && m_probe() == &b)
        return;
    m_hoverTimer.stop();
    b.setState(IsOver, false);
    b.m.hovering = false;
    b.m_delayDrawing = false;
    emit b.MouseOnButton(false);
    b.m.buttonDown = false;
    b.RedrawButton();
}

void ButtonInput::onMouseUp(short Button, short Shift, float X, float Y)
{
    b.m.buttonDown = false;
    if (Button == 1) {
        b.setState(IsPressed, false);
        b.m_delayDrawing = false;
        if (b.m.mode == CommandButton)
            b.RedrawButton();
    }
    emit b.MouseUp(Button, Shift, X, Y);
    m_lastButton = Button;
}

void ButtonInput::onClick()
{
    if (m_lastButton != 1)
        return;
    if (b.m.mode > CommandButton) {
        if (b.m.mode == OptionButton && b.m.value)
            return;
        b.setvalue(!b.m.value);
    }
    emit b.Click();
}

void ButtonInput::onDblClick()
{
    const QPoint p = b.mapFromGlobal(QCursor::pos());
    short button = m_lastButton;
    emit b.DoubleClick(button);
    if (m_lastButton == 1) {
        onMouseDown(1, 0, float(p.x()), float(p.y()));
        m_lastButton = -1;
    } else {
        emit b.MouseDown(m_lastButton, 0, float(p.x()), float(p.y()));
    }
}

void ButtonInput::onKeyDown(short& KeyCode, short Shift)
{
    for (const ArrowKey& a : Arrows) {
        if (KeyCode != a.vk)
            continue;
        KeyCode = 0;
        // Arrow keys belong to the container (moving between buttons), never to us.
        if (QWidget* target = b.m_container ? b.m_container.data() : b.parentWidget())
            QCoreApplication::postEvent(target,
                                        new QKeyEvent(QEvent::KeyPress, a.key, Qt::NoModifier, a.scanCode,
                                                      quint32(a.vk), 0, QString(), false, 1));
        // In an option group they move to the previous (left, up) or next option; the
        // key's release there selects it.
        if (b.m.mode == OptionButton) {
            const int step = (a.key == Qt::Key_Left || a.key == Qt::Key_Up) ? -1 : 1;
            if (kuButtons_H* next = OptionGroup::neighbour(b.m_container, &b, step))
                next->setFocus(Qt::OtherFocusReason);
        }
        break;
    }
    if (KeyCode == 32 && !b.m.has(IsPressed)) {
        b.setState(IsOver, true);
        b.m.buttonDown = true;
        b.setState(IsPressed, true);
        b.RedrawButton();
        if (!b.m.hovering)
            b.setState(IsOver, false);
    }
    if (KeyCode != 0)
        emit b.KeyDown(KeyCode, Shift);
}

void ButtonInput::onKeyUp(short& KeyCode, short Shift)
{
    b.m.buttonDown = false;
    if (KeyCode == 32 && b.m.has(IsPressed)) {
        b.setState(IsPressed, false);
        m_lastButton = 1;
        if (b.m.mode == CommandButton) {
            b.RedrawButton();
        } else {
            emit b.KeyUp(KeyCode, Shift);
            KeyCode = 0;
        }
        onClick();
    }
    if (KeyCode >= 37 && KeyCode <= 40) {
        KeyCode = 0;
        if (b.m.mode == OptionButton && !b.m.value) {
            m_lastButton = 1;
            onClick();
        }
    }
    if (KeyCode == 16)
        KeyCode = 0;
    if (KeyCode != 0)
        emit b.KeyUp(KeyCode, Shift);
}

void ButtonInput::onAccessKeyPress(short KeyAscii)
{
    if ((KeyAscii == 13 || KeyAscii == 27) && b.m.mode > CommandButton)
        return;
    if (!b.m.has(IsDefault))
        b.RedrawButton();
    m_lastButton = 1;
    onClick();
}

void ButtonInput::onGotFocus()
{
    if (b.m.mode == OptionButton && !b.m.value && !b.UpdateOptionGroup(OptionGroup::AnyOn)) {
        m_lastButton = 1;
        onClick();
    }
}

void ButtonInput::mousePress(QMouseEvent* e)
{
    const QPointF p = e->position();
    onMouseDown(buttonOf(e->button()), shiftOf(e->modifiers()), float(p.x()), float(p.y()));
}

void ButtonInput::mouseMove(QMouseEvent* e)
{
    const QPointF p = e->position();
    onMouseMove(buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()), float(p.y()));
}

void ButtonInput::mouseRelease(QMouseEvent* e)
{
    const QPointF p = e->position();
    const bool inside = b.rect().contains(p.toPoint()) &&
                        (b.m.geometry.window.isEmpty() || b.m.geometry.window.contains(p.toPoint()));
    onMouseUp(buttonOf(e->button()), shiftOf(e->modifiers()), float(p.x()), float(p.y()));
    // The release that ends a double click is not a click of its own.
    if (inside && !m_afterDoubleClick)
        onClick();
    m_afterDoubleClick = false;
}

void ButtonInput::mouseDoubleClick()
{
    onDblClick();
    m_afterDoubleClick = true;
}

void ButtonInput::keyPress(QKeyEvent* e)
{
    short code = virtualKeyOf(e->key());
    onKeyDown(code, shiftOf(e->modifiers()));
    if (!e->text().isEmpty())
        b.onKeyPress(short(e->text().at(0).unicode()));
}

void ButtonInput::keyRelease(QKeyEvent* e)
{
    if (e->isAutoRepeat())
        return;
    short code = virtualKeyOf(e->key());
    onKeyUp(code, shiftOf(e->modifiers()));
}

void ButtonInput::dragEnter(QDragEnterEvent* e)
{
    int effect = dropEffectOf(e->proposedAction());
    const QPointF p = e->position();
    emit b.OLEDragOver(e->mimeData(), effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()),
                       float(p.y()), 0);
    if (effect != 0)
        e->acceptProposedAction();
}

void ButtonInput::dragMove(QDragMoveEvent* e)
{
    int effect = dropEffectOf(e->proposedAction());
    const QPointF p = e->position();
    emit b.OLEDragOver(e->mimeData(), effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()),
                       float(p.y()), 2);
    if (effect != 0)
        e->acceptProposedAction();
    else
        e->ignore();
}

void ButtonInput::dragLeave()
{
    int effect = 0;
    emit b.OLEDragOver(nullptr, effect, 0, 0, 0.0f, 0.0f, 1);
}

void ButtonInput::drop(QDropEvent* e)
{
    int effect = dropEffectOf(e->proposedAction());
    const QPointF p = e->position();
    emit b.OLEDragDrop(e->mimeData(), effect, buttonsOf(e->buttons()), shiftOf(e->modifiers()), float(p.x()),
                       float(p.y()));
    if (effect != 0)
        e->acceptProposedAction();
}
