#include "tools/CellCursor.h"

#include "canvas/PortraitCanvas.h"
#include "document/PortraitGeometry.h"
#include "platform/PictureBox.h"
#include "tools/PaintingTools.h"
#include "tools/ToolEnvironment.h"

#include <algorithm>

CellCursor::CellCursor(PaintingTools& tools, PortraitCanvas& view, ToolEnvironment& environment)
    : m_tools(tools), m_view(view), m_env(environment)
{
}

QPointF CellCursor::centre() const
{
    const int zoom = m_view.zoom();
    return {m_cell.x() * zoom + zoom / 2.0, m_cell.y() * zoom + zoom / 2.0};
}

void CellCursor::show()
{
    m_shown = true;
    m_view.showCellCursor(m_cell);
    m_env.keepInView(m_view.cellRect(m_cell).adjusted(-1, -1, 1, 1));
}

void CellCursor::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_view.hideCellCursor();
}

void CellCursor::appear()
{
    if (m_shown)
        return;
    // From the pointer's cell when it rests on the portrait, else where it was last.
    if (m_pointer) {
        const QPoint under = m_view.cellAt(*m_pointer);
        if (Portrait::isCell(under.x(), under.y()))
            m_cell = under;
    }
    show();
}

bool CellCursor::keyDown(int key, int shift)
{
    if (key == Qt::Key_Space) {
        if (m_button != 0)
            return true; // the key repeating while held
        appear();
        m_button = shift & ShiftMask::Shift ? MouseButton::Right : MouseButton::Left;
        m_shift = shift & ShiftMask::Ctrl;
        m_tools.pressAt(m_button, m_shift, float(centre().x()), float(centre().y()));
        return true;
    }
    const QPoint step = key == Qt::Key_Left    ? QPoint(-1, 0)
                        : key == Qt::Key_Right ? QPoint(1, 0)
                        : key == Qt::Key_Up    ? QPoint(0, -1)
                        : key == Qt::Key_Down  ? QPoint(0, 1)
                                               : QPoint();
    if (step.isNull())
        return false;
    appear();
    m_cell.setX(std::clamp(m_cell.x() + step.x(), 0, Portrait::Width - 1));
    m_cell.setY(std::clamp(m_cell.y() + step.y(), 0, Portrait::Height - 1));
    show();
    m_tools.moveTo(m_button, m_button ? m_shift : shift, float(centre().x()), float(centre().y()));
    return true;
}

bool CellCursor::keyUp(int key, int)
{
    if (key != Qt::Key_Space || m_button == 0)
        return false;
    const int button = m_button;
    m_button = 0;
    m_tools.releaseAt(button, m_shift, float(centre().x()), float(centre().y()));
    return true;
}

void CellCursor::pointerAt(QPointF view)
{
    if (m_pointer && *m_pointer == view)
        return; // the pointer did not move (a move the window made up)
    m_pointer = view;
    if (m_button == 0)
        hide();
}

void CellCursor::focusLost()
{
    keyUp(Qt::Key_Space, 0);
    hide();
}
