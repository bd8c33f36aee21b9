#include "canvas/PaintingTools.h"

#include "canvas/ColourReduction.h"
#include "canvas/PortraitCanvas.h"
#include "canvas/ToolEnvironment.h"
#include "mainwindow/EditingState.h"
#include "platform/PictureBox.h"
#include "platform/SystemColor.h"

#include <QPixmap>
#include <algorithm>

using namespace Portrait;

PaintingTools::PaintingTools(PortraitCanvas& canvas, EditingState& state, ToolEnvironment& environment)
    : m_canvas(canvas), m_state(state), m_env(environment)
{
}

void PaintingTools::picFace_MouseDown(int Button, int Shift, float X, float Y)
{
    // A whole stroke, press to release, is one change of the portrait.
    if (m_mouseIsDown != -1)
        m_canvas.beginChange();
    m_mouseIsDown = -1;
    m_strokeCell.reset();
    // A click without movement already paints: the press runs the move steps.
    m_pressing = true;
    picFace_MouseMove(Button, Shift, X, Y);
    m_pressing = false;
}

void PaintingTools::picFace_MouseUp(int, int, float, float)
{
    const bool stroke = m_mouseIsDown == -1;
    m_mouseIsDown = 0;
    m_lastGamma.reset();
    m_strokeCell.reset();
    if (stroke)
        m_canvas.endChange();
}

void PaintingTools::picFace_KeyDown(int, int Shift)
{
    if (Shift == ShiftMask::Ctrl)
        m_env.redrawPopup();
}

void PaintingTools::picFace_MouseMove(int Button, int Shift, float X, float Y)
{
    m_lastShift = Shift;
    m_inMove = true;
    m_changedInMove = false;
    trackPointer(X, Y);
    // A full redraw's pixels; only the last popup's rectangle is actually restored.
    m_canvas.RedrawFace();
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
    if (m_env.pointerOverView())
        showReadout();
}

void PaintingTools::showReadout()
{
    trackPointer(m_lastX, m_lastY);
    m_canvas.RedrawFace();
    m_env.popupStep(m_lastShift, m_lastX, m_lastY);
}

void PaintingTools::trackPointer(float X, float Y)
{
    m_lastX = X;
    m_lastY = Y;
    m_env.showCell(QStringLiteral("(%1, %2)").arg(cellOf(X)).arg(cellOf(Y)));

    m_cursorColor = m_canvas.picBackBuffer().pixel(int(std::floor(X)), int(std::floor(Y)));
    // A failed read (pointer dragged off the view) keeps the previous colour, so the
    // text and the swatch go on agreeing.
    if (m_cursorColor != InvalidColour) {
        m_cursorRGB = SplitColor(m_cursorColor);
        m_swatchColour = m_cursorColor;
    }

    Surface& rgb = m_canvas.picRGB();
    rgb.setBackColor(m_swatchColour);
    rgb.rectangle(0, 0, 16, 16, SystemColorToRgb(SystemColour(SystemColourIndex::ButtonText)));
    rgb.present();
    m_swatch = rgb.image().copy(0, 0, 16, 16);

    m_env.showColour(
        QIcon(QPixmap::fromImage(m_swatch)),
        QStringLiteral("RGB(%1,%2,%3)").arg(m_cursorRGB.R).arg(m_cursorRGB.G).arg(m_cursorRGB.B),
        colourTip(m_swatchColour, ColourReduction::cellsWith(m_canvas.picPreview().image(), m_swatchColour)));
}

QString PaintingTools::colourTip(Colour c, int cells)
{
    const QString hex =
        QStringLiteral("#%1").arg(QString::number(toQRgb(c) & 0xFFFFFF, 16).toUpper(), 6, u'0');
    return cells == 1 ? tr("%1: 1 cell").arg(hex) : tr("%1: %2 cells").arg(hex).arg(cells);
}

QList<QPoint> PaintingTools::segmentCells(QPoint from, QPoint to)
{
    // Bresenham over cells; the start cell was painted by the previous step.
    QList<QPoint> cells;
    const int dx = std::abs(to.x() - from.x()), sx = from.x() < to.x() ? 1 : -1;
    const int dy = -std::abs(to.y() - from.y()), sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    QPoint p = from;
    while (p != to) {
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
        cells << p;
    }
    return cells;
}

void PaintingTools::paintStep(int Button, int Shift)
{
    const QPoint cell(cellOf(m_lastX), cellOf(m_lastY));
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
    const QString& tool = m_state.CurrentTool;
    if (tool == QLatin1String("Selector")) {
        if (isCell(cell.x(), cell.y()))
            grabColour(Button, Shift);
        return;
    }
    if (tool == QLatin1String("Fill")) {
        if (m_pressing && isCell(cell.x(), cell.y()))
            fill(Button, cell.x(), cell.y());
        return;
    }
    for (const QPoint c : cells) {
        if (!isCell(c.x(), c.y()))
            continue;
        // The pointer's own cell uses the colour read under the pointer; the cells
        // passed over use their own.
        const Colour under = c == cell ? m_cursorColor : m_canvas.picPreview().pixel(c.x(), c.y());
        if (tool == QLatin1String("Brush"))
            brush(Button, c);
        else if (tool == QLatin1String("Replace"))
            replace(Button, c, under);
        else if (tool == QLatin1String("Gamma"))
            gamma(Button, c, under);
    }
}

void PaintingTools::brush(int Button, QPoint cell)
{
    if (Button == MouseButton::Left)
        m_canvas.commitCell(cell.x(), cell.y(), m_state.FGColor);
    else if (Button == MouseButton::Right)
        m_canvas.commitCell(cell.x(), cell.y(), m_state.BGColor);
}

void PaintingTools::replace(int Button, QPoint cell, Colour under)
{
    const bool left = Button == MouseButton::Left;
    Colour find, put;
    if (m_env.useForegroundBackgroundForReplace()) {
        find = left ? m_state.BGColor : m_state.FGColor;
        put = left ? m_state.FGColor : m_state.BGColor;
    } else {
        find = left ? m_state.R2Color : m_state.R1Color;
        put = left ? m_state.R1Color : m_state.R2Color;
    }
    if (ColourReduction::within(under, find, m_state.Tolerance))
        m_canvas.commitCell(cell.x(), cell.y(), put);
}

void PaintingTools::gamma(int Button, QPoint cell, Colour under)
{
    if (m_lastGamma == cell)
        return;
    const ColorParts parts = SplitColor(under);
    const int d = Button == MouseButton::Left    ? m_state.GammaStep
                  : Button == MouseButton::Right ? -m_state.GammaStep
                                                 : 0;
    const int r = std::clamp(parts.R + d, 0, 255);
    const int g = std::clamp(parts.G + d, 0, 255);
    const int b = std::clamp(parts.B + d, 0, 255);
    m_canvas.commitCell(cell.x(), cell.y(), RGBColour(r, g, b));
    m_lastGamma = cell;
}

void PaintingTools::grabColour(int Button, int Shift)
{
    m_env.setViewCursor(ToolEnvironment::ViewCursor::Eyedropper);
    using Well = ToolEnvironment::Well;
    const bool left = Button == MouseButton::Left;
    const bool modified = Shift != 0;
    const Well well = left ? (modified ? Well::Replace1 : Well::Foreground)
                           : (modified ? Well::Replace2 : Well::Background);
    m_env.pickColour(well, m_cursorColor);
}

void PaintingTools::fill(int Button, int px, int py)
{
    Colour c;
    if (Button == MouseButton::Left)
        c = m_state.FGColor;
    else if (Button == MouseButton::Right)
        c = m_state.BGColor;
    else
        return;
    QList<QPoint> cells = fillRegion(m_canvas.picPreview(), px, py, m_state.Tolerance);
    cells.removeIf([&](QPoint p) { return m_canvas.picPreview().pixel(p.x(), p.y()) == c; });
    m_canvas.commitCells(cells, c); // nothing at all when every cell has the colour already
}

QList<QPoint> PaintingTools::fillRegion(const Surface& store, int x, int y, int tolerance)
{
    QList<QPoint> region;
    const Colour target = store.pixel(x, y);
    if (target == InvalidColour)
        return region;
    std::vector<bool> seen(std::size_t(store.width() * store.height()), false);
    QList<QPoint> pending{QPoint(x, y)};
    seen[std::size_t(y * store.width() + x)] = true;
    while (!pending.isEmpty()) {
        const QPoint p = pending.takeLast();
        region << p;
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint n = p + step;
            const Colour there = store.pixel(n.x(), n.y());
            if (there == InvalidColour || !ColourReduction::within(there, target, tolerance))
                continue; // also stops at the edge, where the read fails
            auto&& mark = seen[std::size_t(n.y() * store.width() + n.x())];
            if (!mark) {
                mark = true;
                pending << n;
            }
        }
    }
    return region;
}
