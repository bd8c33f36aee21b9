#include "document/PortraitDocument.h"

#include "document/PortraitChange.h"

using namespace Portrait;

PortraitDocument::PortraitDocument(QObject* parent) : QObject(parent), m_pixels(Width, Height, 0)
{
    m_history.setUndoLimit(HistoryLimit);
    m_recorded = m_pixels.image().copy();
}

void PortraitDocument::announce(const QRect& cells)
{
    if (m_changeDepth == 0 && !m_restoring)
        recordStep();
    emit changed(cells);
}

void PortraitDocument::recordStep()
{
    const QImage& now = m_pixels.image();
    if (now == m_recorded)
        return; // nothing really changed: no empty step
    QImage after = now.copy();
    m_history.push(new PortraitChange(*this, m_recorded, after));
    m_recorded = std::move(after);
}

void PortraitDocument::setCell(int x, int y, Colour c)
{
    m_pixels.setPixel(x, y, c);
    const QRect cell(x, y, 1, 1);
    m_pixels.present(cell);
    announce(cell);
}

void PortraitDocument::setCells(const QList<QPoint>& cells, Colour c)
{
    if (cells.isEmpty())
        return;
    QRect touched;
    for (const QPoint& cell : cells) {
        m_pixels.setPixel(cell.x(), cell.y(), c);
        touched |= QRect(cell, QSize(1, 1));
    }
    m_pixels.present();
    announce(touched);
}

void PortraitDocument::loadPortrait(const QImage& picture)
{
    m_pixels.clear();
    m_pixels.copyFrom(picture, 0, 0, Width, Height, 0, 0);
    m_pixels.present();
    announce(WholePortrait);
}

void PortraitDocument::newPortrait(Colour background)
{
    m_pixels.setBackColor(background);
    m_pixels.present();
    announce(WholePortrait);
}

void PortraitDocument::importRegion(const QImage& source, int rx, int ry, Colour background)
{
    m_pixels.setBackColor(background);
    m_pixels.copyFrom(source, 0, 0, Width, Height, rx, ry);
    m_pixels.present();
    announce(WholePortrait);
}

void PortraitDocument::restorePortrait(const QImage& portrait)
{
    m_pixels.copyFrom(portrait, 0, 0, Width, Height, 0, 0);
    m_pixels.present();
    announce(WholePortrait);
}

void PortraitDocument::beginChange()
{
    ++m_changeDepth;
}

void PortraitDocument::endChange()
{
    if (m_changeDepth == 0)
        return;
    if (--m_changeDepth == 0)
        recordStep();
}

void PortraitDocument::undo()
{
    if (!inChange())
        m_history.undo();
}

void PortraitDocument::redo()
{
    if (!inChange())
        m_history.redo();
}

void PortraitDocument::restoreFromHistory(const QImage& portrait)
{
    m_restoring = true;
    restorePortrait(portrait);
    m_restoring = false;
    m_recorded = portrait;
}
