#pragma once

#include <QImage>
#include <QUndoCommand>

class PortraitDocument;

// One undoable change of the portrait: its pixels before and after.
class PortraitChange : public QUndoCommand {
public:
    PortraitChange(PortraitDocument& document, QImage before, QImage after);

    void undo() override;
    void redo() override;

    const QImage& before() const { return m_before; }
    const QImage& after() const { return m_after; }

private:
    PortraitDocument& m_document;
    QImage m_before;
    QImage m_after;
    bool m_applied = true; // pushed after the change was made
};
