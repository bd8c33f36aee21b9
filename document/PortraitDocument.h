#pragma once

#include "document/PortraitGeometry.h"
#include "platform/Surface.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QUndoStack>

// The portrait itself: its 48 x 56 pixels (picPreview, a surface so the 1:1 preview can
// show it) and their history. Nothing here draws or shows anything.
//
// Every change to the pixels passes through one of the methods below and ends with
// changed(cells), the rectangle of portrait cells it touched (the whole portrait for the
// replacements). That is also where the history is kept: each change outside a
// transaction is one undo step, and a transaction (a stroke, an import) is one step
// however many changes it holds.
class PortraitDocument : public QObject {
    Q_OBJECT
public:
    static constexpr int HistoryLimit = 1000;
    static constexpr QRect WholePortrait{0, 0, Portrait::Width, Portrait::Height};

    explicit PortraitDocument(QObject* parent = nullptr);

    // The pixels, to read and to show; every write goes through the methods below.
    const Surface& picPreview() const { return m_pixels; }

    // One cell; many cells in one colour as one change (Fill). An empty list changes nothing.
    void setCell(int x, int y, Colour c);
    void setCells(const QList<QPoint>& cells, Colour c);

    // Whole-portrait replacements.
    // Open: the picture drawn from the top-left corner over the store's background.
    void loadPortrait(const QImage& picture);
    // New: cleared to the colour, which becomes the store's background.
    void newPortrait(Colour background);
    // Import: the 48 x 56 region of source at (rx, ry), background where it lies outside.
    void importRegion(const QImage& source, int rx, int ry, Colour background);
    // The whole image from the top-left of portrait.
    void restorePortrait(const QImage& portrait);

    QUndoStack& history() { return m_history; }
    const QUndoStack& history() const { return m_history; }
    // Whether the portrait differs from the history's clean point (where it was last
    // opened, saved or made new); a change still open counts as a change.
    bool isModified() const { return !m_history.isClean() || inChange(); }
    // Changes between begin and end become one undo step (nesting is counted).
    void beginChange();
    void endChange();
    bool inChange() const { return m_changeDepth > 0; }
    // Undo and redo as the user asks for them: refused while a change is open (a held
    // stroke, an import pick), whose end would otherwise record over the step.
    void undo();
    void redo();
    // Used by the history itself: restores without recording a new step.
    void restoreFromHistory(const QImage& portrait);

signals:
    // After the pixels changed and the history took note; cells in portrait coordinates.
    void changed(const QRect& cells);

private:
    void announce(const QRect& cells);
    void recordStep();

    Surface m_pixels;
    QUndoStack m_history;
    QImage m_recorded; // the portrait as the top of the history has it
    int m_changeDepth = 0;
    bool m_restoring = false;
};
