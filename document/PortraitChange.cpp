#include "document/PortraitChange.h"

#include "document/PortraitDocument.h"

PortraitChange::PortraitChange(PortraitDocument& document, QImage before, QImage after)
    : m_document(document), m_before(std::move(before)), m_after(std::move(after))
{
}

void PortraitChange::undo()
{
    m_document.restoreFromHistory(m_before);
}

void PortraitChange::redo()
{
    // QUndoStack::push runs redo() at once; the change itself has already happened.
    if (m_applied) {
        m_applied = false;
        return;
    }
    m_document.restoreFromHistory(m_after);
}
