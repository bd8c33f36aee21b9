#include "canvas/PortraitChange.h"

#include "canvas/PortraitCanvas.h"

PortraitChange::PortraitChange(PortraitCanvas& canvas, QImage before, QImage after)
    : m_canvas(canvas), m_before(std::move(before)), m_after(std::move(after))
{
}

void PortraitChange::undo()
{
    m_canvas.restoreFromHistory(m_before);
}

void PortraitChange::redo()
{
    // QUndoStack::push runs redo() at once; the change itself has already happened.
    if (m_applied) {
        m_applied = false;
        return;
    }
    m_canvas.restoreFromHistory(m_after);
}
