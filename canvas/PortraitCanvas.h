#pragma once

#include "canvas/PortraitGeometry.h"
#include "platform/Surface.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QUndoStack>
#include <functional>

// Where the portrait lives and how it is shown: the 1:1 pixel store (picPreview), the
// back buffer holding it magnified as 8 x 8 blocks (picBackBuffer), the visible view
// (picFace), the grid overlay (picGrid) and the one-colour swatch (picRGB).
//
// Every change to the portrait's pixels passes through commitCell, commitCells or one
// of the whole-portrait replacements, and each ends with portraitChanged(). That is
// also where the history is kept: each change outside a transaction is one undo step,
// and a transaction (a stroke, an import) is one step however many changes it holds.
class PortraitCanvas : public QObject {
    Q_OBJECT
public:
    static constexpr Colour GridLineColour = RGBColour(50, 50, 50);
    static constexpr Colour GridKeyColour = RGBColour(0, 0, 255);

    explicit PortraitCanvas(QObject* parent = nullptr);

    Surface& picPreview() { return m_preview; }
    Surface& picBackBuffer() { return m_backBuffer; }
    Surface& picFace() { return m_face; }
    Surface& picGrid() { return m_grid; }
    Surface& picRGB() { return m_rgb; }
    const Surface& picPreview() const { return m_preview; }
    const Surface& picBackBuffer() const { return m_backBuffer; }
    const Surface& picFace() const { return m_face; }
    const Surface& picGrid() const { return m_grid; }

    // Whether the grid is on; the toolbar's Grid button answers it.
    void setGridSource(std::function<bool()> gridOn) { m_gridOn = std::move(gridOn); }
    bool gridOn() const { return m_gridOn && m_gridOn(); }

    // Sizes the surfaces (idempotent) as the window's layout pass does.
    void layoutSurfaces();

    // The view rebuilt from the back buffer with the grid over it. When the view's state
    // is known only what differs from that (the popup, changed cells) is copied and
    // presented; otherwise all of it.
    void RedrawFace();
    void BltGrid();
    void DrawGrid();
    void DrawtoBB();
    void clearView();
    // Another 48 x 56 picture magnified in the view, under the grid as usual; the
    // portrait, the back buffer and the history stay as they are, and the next
    // RedrawFace shows the portrait again.
    void showPreview(const QImage& picture);
    // A constant-alpha blend over the view (the RGB popup), remembered so the next redraw
    // restores just that rectangle; presents the rectangle.
    void blendOverView(const QImage& source, int dx, int dy, int w, int h, int sx, int sy, int alpha);

    // One cell of the back buffer as a solid 8 x 8 block, through the swatch.
    void blockFill(int x, int y, Colour c);

    // The common end of the painting tools: back buffer, view and pixel store in step.
    void commitCell(int x, int y, Colour c);
    // Many cells as one change (Fill); the view is redrawn once.
    void commitCells(const QList<QPoint>& cells, Colour c);

    // Whole-portrait replacements.
    // Open: the picture drawn from the top-left corner over the store's background.
    void loadPortrait(const QImage& picture);
    // New: store, view and back buffer cleared to the colour.
    void newPortrait(Colour background);
    // Import: the 48 x 56 region of source at (rx, ry), background where it lies outside.
    // The caller renders the back buffer (the import window does it through its own buffer).
    void importRegion(const QImage& source, int rx, int ry, Colour background);
    // Replace the back buffer with an already magnified rendering and redraw the view.
    void setBackBuffer(const Surface& magnified);
    // The store's whole image, back buffer and view rebuilt from it.
    void restorePortrait(const QImage& portrait);

    QUndoStack& history() { return m_history; }
    // Whether the portrait differs from the history's clean point (where it was last
    // opened, saved or made new); a stroke still held counts as a change.
    bool isModified() const { return !m_history.isClean() || inChange(); }
    static constexpr int HistoryLimit = 1000;
    // Changes between begin and end become one undo step (nesting is counted).
    void beginChange();
    void endChange();
    bool inChange() const { return m_changeDepth > 0; }
    // Undo and redo as the user asks for them: refused while a change is under way (a
    // held stroke, an import pick), whose end would otherwise record over the step.
    void undo();
    void redo();
    // Used by the history itself: restores without recording a new step.
    void restoreFromHistory(const QImage& portrait);

signals:
    void portraitChanged();

private:
    void changed();
    void recordStep();
    // The surfaces as the fast paths expect them (the layout pass keeps them so).
    bool standardSizes() const;
    // Whether the view is the composition of the back buffer and the grid except for
    // m_viewStale: nothing wrote into the surfaces behind the canvas's back since.
    bool viewTracked() const;
    void markViewTracked();
    void composeView(const QRect& area);
    // Whether the grid is exactly what DrawGrid draws: lines on every eighth row and
    // column, the key colour elsewhere. The view's rows then come from the back buffer alone.
    bool gridIsStandard() const;

    QList<QRect> m_viewStale;
    bool m_viewKnown = false;
    bool m_viewGrid = false;
    qint64 m_faceKey = 0;
    qint64 m_backKey = 0;
    qint64 m_gridKey = 0;
    qint64 m_standardGridKey = -1;

    std::function<bool()> m_gridOn;
    Surface m_preview;
    Surface m_backBuffer;
    Surface m_face;
    Surface m_grid;
    Surface m_rgb;
    QUndoStack m_history;
    QImage m_recorded; // the portrait as the top of the history has it
    int m_changeDepth = 0;
    bool m_restoring = false;
};
