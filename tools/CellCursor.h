#pragma once

#include <QPoint>
#include <QPointF>
#include <optional>

class PaintingTools;
class PortraitCanvas;
class ToolEnvironment;

// Painting without a mouse. While the view has the focus, the arrow keys move a cell
// cursor over the portrait (shown by the view) and the readout follows it as it follows
// the pointer. Space does on the cursor's cell what the left button does, Shift+Space
// what the right button does, for every tool; with Ctrl held too, as that button with
// Ctrl. The key held is the button held: the arrows then drag, and the stroke ends when
// the key is released.
class CellCursor {
public:
    CellCursor(PaintingTools& tools, PortraitCanvas& view, ToolEnvironment& environment);

    // Keys pressed and released over the view; true for the cursor's own.
    bool keyDown(int key, int shift);
    bool keyUp(int key, int shift);
    // The pointer at a view position: when it really moved, the mouse takes over and the
    // cursor goes, to start from the pointer's cell at the next arrow.
    void pointerAt(QPointF view);
    void focusLost();

    bool isShown() const { return m_shown; }
    QPoint cell() const { return m_cell; }
    // The button the held key stands for; 0 when none is held.
    int heldButton() const { return m_button; }

private:
    // Shown where it was, or on the pointer's cell when the pointer moved since.
    void appear();
    void show();
    void hide();
    QPointF centre() const;

    PaintingTools& m_tools;
    PortraitCanvas& m_view;
    ToolEnvironment& m_env;
    QPoint m_cell;
    bool m_shown = false;
    int m_button = 0;
    int m_shift = 0;
    std::optional<QPointF> m_pointer; // the pointer's last position over the view
};
