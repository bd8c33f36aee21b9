#include "canvas/PortraitCanvas.h"

#include "canvas/PortraitChange.h"
#include "platform/SystemColor.h"

using namespace Portrait;

PortraitCanvas::PortraitCanvas(QObject* parent)
    : QObject(parent),
      m_preview(Width, Height, 0),
      m_backBuffer(ViewWidth, ViewHeight, 0),
      m_face(ViewWidth, ViewHeight, 0),
      m_grid(ViewWidth, ViewHeight, GridKeyColour),
      m_rgb(16, 16, SystemColorToRgb(SystemColour(SystemColourIndex::ButtonFace)))
{
    m_history.setUndoLimit(HistoryLimit);
    m_recorded = m_preview.image().copy();
}

void PortraitCanvas::changed()
{
    if (m_changeDepth == 0 && !m_restoring)
        recordStep();
    emit portraitChanged();
}

void PortraitCanvas::recordStep()
{
    const QImage& now = m_preview.image();
    if (now == m_recorded)
        return; // nothing really changed: no empty step
    QImage after = now.copy();
    m_history.push(new PortraitChange(*this, m_recorded, after));
    m_recorded = std::move(after);
}

void PortraitCanvas::beginChange() { ++m_changeDepth; }

void PortraitCanvas::endChange()
{
    if (m_changeDepth == 0)
        return;
    if (--m_changeDepth == 0)
        recordStep();
}

void PortraitCanvas::restoreFromHistory(const QImage& portrait)
{
    m_restoring = true;
    restorePortrait(portrait);
    m_restoring = false;
    m_recorded = portrait;
}

void PortraitCanvas::layoutSurfaces()
{
    m_face.resize(ViewWidth, ViewHeight);
    m_grid.resize(ViewWidth, ViewHeight);
    m_backBuffer.resize(ViewWidth, ViewHeight);
    m_rgb.resize(16, 16);
    m_preview.resize(Width, Height);
}

void PortraitCanvas::RedrawFace()
{
    // The whole drawing area is replaced; the caller or BltGrid presents it.
    m_face.copyFrom(m_backBuffer, 0, 0, ViewWidth + 4, ViewHeight + 4, 0, 0);
    if (gridOn())
        BltGrid();
}

void PortraitCanvas::BltGrid()
{
    m_face.transparentCopyFrom(m_grid, 0, 0, m_face.width(), m_face.height(), 0, 0, GridKeyColour);
    m_face.present();
}

void PortraitCanvas::DrawGrid()
{
    m_grid.clear();
    for (int k = 0; k < Width; ++k)
        m_grid.line(Zoom * k, 0, Zoom * k, ViewHeight, GridLineColour);
    for (int k = 0; k < Height; ++k)
        m_grid.line(0, Zoom * k, ViewWidth, Zoom * k, GridLineColour);
}

void PortraitCanvas::clearView() { m_face.clear(); }

void PortraitCanvas::showPreview(const QImage& picture)
{
    m_face.clear();
    for (int y = 0; y < Height && y < picture.height(); ++y)
        for (int x = 0; x < Width && x < picture.width(); ++x)
            m_face.fillRect(QRect(Zoom * x, Zoom * y, Zoom, Zoom), fromQRgb(picture.pixel(x, y)));
    if (gridOn())
        BltGrid();
    else
        m_face.present();
}

void PortraitCanvas::DrawtoBB()
{
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            blockFill(x, y, m_preview.pixel(x, y));
    clearView();
    RedrawFace();
    m_face.present();
}

void PortraitCanvas::blockFill(int x, int y, Colour c)
{
    m_rgb.setBackColor(c);
    m_backBuffer.copyFrom(m_rgb, Zoom * x, Zoom * y, Zoom, Zoom, 0, 0);
    m_backBuffer.present(QRect(Zoom * x, Zoom * y, Zoom, Zoom));
}

void PortraitCanvas::commitCell(int x, int y, Colour c)
{
    blockFill(x, y, c);
    clearView();
    m_face.copyFrom(m_backBuffer, 0, 0, ViewWidth, ViewHeight, 0, 0);
    if (gridOn())
        BltGrid();
    else
        m_face.present();
    m_preview.setPixel(x, y, c);
    m_preview.present(QRect(x, y, 1, 1));
    changed();
}

void PortraitCanvas::commitCells(const QList<QPoint>& cells, Colour c)
{
    if (cells.isEmpty())
        return;
    for (const QPoint& cell : cells) {
        blockFill(cell.x(), cell.y(), c);
        m_preview.setPixel(cell.x(), cell.y(), c);
    }
    clearView();
    RedrawFace();
    m_face.present();
    m_preview.present();
    changed();
}

void PortraitCanvas::loadPortrait(const QImage& picture)
{
    m_preview.clear();
    m_preview.copyFrom(picture, 0, 0, Width, Height, 0, 0);
    m_preview.present();
    DrawtoBB();
    changed();
}

void PortraitCanvas::newPortrait(Colour background)
{
    m_preview.setBackColor(background);
    m_face.setBackColor(background);
    m_backBuffer.setBackColor(background);
    m_preview.present();
    RedrawFace();
    m_face.present();
    changed();
}

void PortraitCanvas::importRegion(const QImage& source, int rx, int ry, Colour background)
{
    m_preview.setBackColor(background);
    m_preview.copyFrom(source, 0, 0, Width, Height, rx, ry);
    m_preview.present();
}

void PortraitCanvas::setBackBuffer(const Surface& magnified)
{
    m_backBuffer.copyFrom(magnified, 0, 0, ViewWidth, ViewHeight, 0, 0);
    m_backBuffer.present();
    clearView();
    RedrawFace();
    m_face.present();
    changed();
}

void PortraitCanvas::restorePortrait(const QImage& portrait)
{
    m_preview.copyFrom(portrait, 0, 0, Width, Height, 0, 0);
    m_preview.present();
    DrawtoBB();
    changed();
}
