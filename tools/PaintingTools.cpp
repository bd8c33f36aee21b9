#include "tools/PaintingTools.h"

#include "canvas/ColourReduction.h"
#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "document/PortraitGeometry.h"
#include "platform/LineSteps.h"
#include "platform/PictureBox.h"
#include "platform/SystemColor.h"
#include "tools/ToolEnvironment.h"

#include <QPixmap>
#include <algorithm>

using namespace Portrait;

PaintingTools::PaintingTools(PortraitDocument& document, PortraitCanvas& view, EditingState& state,
                             ToolEnvironment& environment)
    : m_document(document), m_view(view), m_state(state), m_env(environment),
      m_swatchSurface(16, 16, SystemColorToRgb(SystemColour(SystemColourIndex::ButtonFace))),
      m_cellCursor(*this, view, environment)
{
}

void PaintingTools::picFace_MouseDown(int Button, int Shift, float X, float Y)
{
    m_cellCursor.pointerAt(QPointF(X, Y));
    pressAt(Button, Shift, X, Y);
}

void PaintingTools::picFace_MouseMove(int Button, int Shift, float X, float Y)
{
    m_cellCursor.pointerAt(QPointF(X, Y));
    moveTo(Button, Shift, X, Y);
}

void PaintingTools::picFace_MouseUp(int Button, int Shift, float X, float Y)
{
    releaseAt(Button, Shift, X, Y);
}

void PaintingTools::pressAt(int Button, int Shift, float X, float Y)
{
    // A whole stroke, press to release, is one change of the portrait.
    if (m_mouseIsDown != -1)
        m_document.beginChange();
    m_mouseIsDown = -1;
    m_strokeCell.reset();
    // A click without movement already paints: the press runs the move steps.
    m_pressing = true;
    moveTo(Button, Shift, X, Y);
    m_pressing = false;
}

void PaintingTools::releaseAt(int, int, float, float)
{
    const bool stroke = m_mouseIsDown == -1;
    m_mouseIsDown = 0;
    for (const ToolId id : Tools::All)
        tool(id).strokeEnded();
    m_strokeCell.reset();
    if (stroke)
        m_document.endChange();
}

void PaintingTools::picFace_KeyDown(int KeyCode, int Shift)
{
    // Ctrl shows the popup at once where the pointer (or the keyboard's cell cursor) is on
    // the view; a Ctrl for a shortcut with the pointer elsewhere leaves the view alone.
    if (Shift == ShiftMask::Ctrl && (m_env.pointerOverView() || m_cellCursor.isShown()))
        m_env.redrawPopup();
    m_cellCursor.keyDown(KeyCode, Shift);
}

void PaintingTools::picFace_KeyUp(int KeyCode, int Shift)
{
    m_cellCursor.keyUp(KeyCode, Shift);
}

void PaintingTools::picFace_FocusLost()
{
    m_cellCursor.focusLost();
}

void PaintingTools::moveTo(int Button, int Shift, float X, float Y)
{
    m_lastShift = Shift;
    m_inMove = true;
    m_changedInMove = false;
    trackPointer(X, Y);
    // Takes the last popup off; the step below draws it again where the option allows.
    m_view.RedrawFace();
    m_env.popupStep(Shift, X, Y);
    if (m_mouseIsDown == -1)
        paintStep(Button, Shift);
    m_inMove = false;
    // The cell under the pointer may have just changed: read it again.
    if (m_changedInMove)
        showReadout();
}

void PaintingTools::portraitChanged()
{
    if (m_inMove) {
        m_changedInMove = true;
        return;
    }
    // The readout follows the pointer over the view, or the keyboard's cell cursor.
    if (m_env.pointerOverView() || m_cellCursor.isShown())
        showReadout();
}

void PaintingTools::showReadout()
{
    trackPointer(m_lastX, m_lastY);
    m_view.RedrawFace();
    m_env.popupStep(m_lastShift, m_lastX, m_lastY);
}

void PaintingTools::trackPointer(float X, float Y)
{
    m_lastX = X;
    m_lastY = Y;
    const QPoint cell = m_view.cellAt(QPointF(X, Y));
    m_env.showCell(QStringLiteral("(%1, %2)").arg(cell.x()).arg(cell.y()));

    // The cell's colour in the portrait itself; off the portrait the read fails.
    m_cursorColor = m_document.picPreview().pixel(cell.x(), cell.y());
    // A failed read (pointer dragged off the view) keeps the previous colour, so the
    // text and the swatch go on agreeing.
    if (m_cursorColor != InvalidColour) {
        m_cursorRGB = SplitColor(m_cursorColor);
        m_swatchColour = m_cursorColor;
    }

    Surface& rgb = m_swatchSurface;
    rgb.setBackColor(m_swatchColour);
    rgb.rectangle(0, 0, 16, 16, SystemColorToRgb(SystemColour(SystemColourIndex::ButtonText)));
    rgb.present();
    // The pixmap is made again only when the swatch's pixels change. It goes to the
    // status bar as it is: a QIcon would leave a copy of every swatch ever shown in Qt's
    // pixmap cache.
    const QImage swatch = rgb.image().copy(0, 0, 16, 16);
    if (m_swatchPixmap.isNull() || swatch != m_swatch) {
        m_swatch = swatch;
        m_swatchPixmap = QPixmap::fromImage(m_swatch);
    }

    m_env.showColour(m_swatchPixmap,
                     QStringLiteral("RGB(%1,%2,%3)").arg(m_cursorRGB.R).arg(m_cursorRGB.G).arg(m_cursorRGB.B),
                     colourTip(m_swatchColour,
                               ColourReduction::cellsWith(m_document.picPreview().image(), m_swatchColour)));
}

QString PaintingTools::colourTip(Colour c, int cells)
{
    const QString hex =
        QStringLiteral("#%1").arg(QString::number(toQRgb(c) & 0xFFFFFF, 16).toUpper(), 6, u'0');
    return cells == 1 ? tr("%1: 1 cell").arg(hex) : tr("%1: %2 cells").arg(hex).arg(cells);
}

QList<QPoint> PaintingTools::segmentCells(QPoint from, QPoint to)
{
    // The cells after `from` up to and including `to`: the start cell was painted by the
    // previous step.
    QList<QPoint> cells;
    forEachLineStep(from, to, [&](QPoint p) {
        if (p != from)
            cells << p;
    });
    if (from != to)
        cells << to;
    return cells;
}

void PaintingTools::paintStep(int Button, int Shift)
{
    const QPoint cell = m_view.cellAt(QPointF(m_lastX, m_lastY));
    // A fast drag paints every cell on the line from the previous position's cell, so
    // strokes have no gaps; a move within one cell paints that cell again.
    QList<QPoint> cells{cell};
    if (m_strokeCell && *m_strokeCell != cell)
        cells = segmentCells(*m_strokeCell, cell);
    m_strokeCell = cell;
    if (!isCell(cell.x(), cell.y())) {
        cells.removeIf([](QPoint c) { return !isCell(c.x(), c.y()); });
        if (cells.isEmpty())
            return;
    }
    m_env.setViewCursor(ToolEnvironment::ViewCursor::Crosshair);
    const std::optional<ToolId> id = Tools::fromTag(m_state.CurrentTool);
    if (!id)
        return;
    ToolContext context{m_document, m_state, m_env};
    tool(*id).step(ToolStep{Button, Shift, cell, cells, m_pressing, m_cursorColor}, context);
}

PaintingTool& PaintingTools::tool(ToolId id)
{
    switch (id) {
    case ToolId::Brush:
        return m_brush;
    case ToolId::Selector:
        return m_selector;
    case ToolId::Fill:
        return m_fill;
    case ToolId::Replace:
        return m_replace;
    case ToolId::Gamma:
        return m_gamma;
    }
    return m_brush;
}
