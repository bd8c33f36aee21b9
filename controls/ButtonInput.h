#pragma once

#include <QTimer>
#include <functional>

class kuButtons_H;
class QWidget;
class QMouseEvent;
class QKeyEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

// The button's pointer and keyboard behaviour: pressing, hovering (polled by a timer
// until the pointer leaves), clicks, double clicks, Space and the arrow keys of an
// option group. It also turns Qt's events into the handler arguments (button and shift
// masks, virtual-key codes, drop effects).
class ButtonInput {
public:
    explicit ButtonInput(kuButtons_H& button);

    void onMouseDown(short Button, short Shift, float X, float Y);
    void onMouseMove(short Button, short Shift, float X, float Y);
    void onMouseUp(short Button, short Shift, float X, float Y);
    void onClick();
    void onDblClick();
    void onKeyDown(short& KeyCode, short Shift);
    void onKeyUp(short& KeyCode, short Shift);
    void onAccessKeyPress(short KeyAscii);
    void onGotFocus();
    void CheckHoverExit();

    void mousePress(QMouseEvent* e);
    void mouseMove(QMouseEvent* e);
    void mouseRelease(QMouseEvent* e);
    void mouseDoubleClick();
    void keyPress(QKeyEvent* e);
    void keyRelease(QKeyEvent* e);
    void dragEnter(QDragEnterEvent* e);
    void dragMove(QDragMoveEvent* e);
    void dragLeave();
    void drop(QDropEvent* e);

    short lastButton() const { return m_lastButton; }
    QTimer& hoverTimer() { return m_hoverTimer; }
    void setProbe(std::function<QWidget*()> probe) { m_probe = std::move(probe); }

private:
    void startHover();

    kuButtons_H& b;
    short m_lastButton = 0;
    bool m_afterDoubleClick = false;
    QTimer m_hoverTimer;
    std::function<QWidget*()> m_probe;
};
