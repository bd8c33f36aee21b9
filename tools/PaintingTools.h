#pragma once

#include "canvas/PointerReadout.h"
#include "platform/Colour.h"
#include "platform/Surface.h"
#include "tools/BrushTool.h"
#include "tools/CellCursor.h"
#include "tools/FillTool.h"
#include "tools/GammaTool.h"
#include "tools/ReplaceTool.h"
#include "tools/SelectorTool.h"
#include "tools/ToolId.h"

#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <cstdint>
#include <optional>

class PortraitCanvas;
class PortraitDocument;
class ToolEnvironment;
struct EditingState;

// The input side of the magnified view: pointer tracking on every move and press,
// and the current tool applied to the cell under the pointer while a press holds. The
// colour under the pointer is read from the document; the tools write to it.
class PaintingTools : public PointerReadout {
    Q_DECLARE_TR_FUNCTIONS(PaintingTools)

public:
    PaintingTools(PortraitDocument& document, PortraitCanvas& view, EditingState& state,
                  ToolEnvironment& environment);

    // The view's events: the pointer's, and the keys pressed while it has the focus
    // (Ctrl alone redraws the popup; the arrows and Space drive the cell cursor).
    void picFace_MouseDown(int Button, int Shift, float X, float Y);
    void picFace_MouseMove(int Button, int Shift, float X, float Y);
    void picFace_MouseUp(int Button, int Shift, float X, float Y);
    void picFace_KeyDown(int KeyCode, int Shift);
    void picFace_KeyUp(int KeyCode, int Shift);
    void picFace_FocusLost();
    // What a press, a move and a release do at a view position, whether the mouse or
    // the keyboard's cell cursor brought them.
    void pressAt(int Button, int Shift, float X, float Y);
    void moveTo(int Button, int Shift, float X, float Y);
    void releaseAt(int Button, int Shift, float X, float Y);
    CellCursor& cellCursor() { return m_cellCursor; }
    // The portrait changed: the readout (status panels, swatch, popup) shows the colour
    // now under the pointer, as a move to the same place would, without painting.
    void portraitChanged();

    std::int16_t MouseIsDown() const { return m_mouseIsDown; }
    Colour CursorColor() const { return m_cursorColor; }
    ColorParts CursorRGB() const override { return m_cursorRGB; }
    float LastX() const override { return m_lastX; }
    float LastY() const override { return m_lastY; }
    std::optional<QPoint> LastGammaCell() const { return m_gamma.lastCell(); }
    // Image 1 of ilsRGB: the 16 x 16 swatch of the colour under the pointer.
    const QImage& swatch() const override { return m_swatch; }

    static QList<QPoint> fillRegion(const Surface& store, int x, int y, int tolerance = 0)
    {
        return FillTool::region(store, x, y, tolerance);
    }
    // Panel 2's tooltip: the colour as hex and how many cells of the portrait hold it.
    static QString colourTip(Colour c, int cells);
    // The cells of the line from one cell to another, the first one left out.
    static QList<QPoint> segmentCells(QPoint from, QPoint to);

private:
    void trackPointer(float X, float Y);
    void showReadout();
    void paintStep(int Button, int Shift);
    PaintingTool& tool(ToolId id);

    PortraitDocument& m_document;
    PortraitCanvas& m_view;
    EditingState& m_state;
    ToolEnvironment& m_env;

    std::int16_t m_mouseIsDown = 0;
    bool m_pressing = false; // inside the move run by a press
    bool m_inMove = false;
    bool m_changedInMove = false;
    int m_lastShift = 0;
    Colour m_cursorColor = 0;
    ColorParts m_cursorRGB;
    Colour m_swatchColour = 0;
    float m_lastX = 0;
    float m_lastY = 0;
    std::optional<QPoint> m_strokeCell; // the cell of the stroke's previous position
    Surface m_swatchSurface;            // where the swatch is drawn; no one else's image
    QImage m_swatch;
    QPixmap m_swatchPixmap; // made from m_swatch
    CellCursor m_cellCursor;

    BrushTool m_brush;
    SelectorTool m_selector;
    FillTool m_fill;
    ReplaceTool m_replace;
    GammaTool m_gamma;
};
