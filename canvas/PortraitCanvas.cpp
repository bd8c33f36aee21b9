#include "canvas/PortraitCanvas.h"

#include "canvas/Magnifier.h"
#include "document/PortraitDocument.h"
#include "document/PortraitGeometry.h"

#include <algorithm>
#include <cmath>

using namespace Portrait;

PortraitCanvas::PortraitCanvas(const PortraitDocument& document, QObject* parent)
    : QObject(parent), m_document(document),
      m_grid(viewSize()), m_layers{&m_asSaved, &m_importPreview, &m_adjustment, &m_grid, &m_cursor, &m_popup},
      m_face(0, 0, 0), m_back(0, 0, 0) // made when first asked for
{
    connect(&m_document, &PortraitDocument::changed, this, &PortraitCanvas::showChange);
}

QSize PortraitCanvas::viewSize() const
{
    return {Width * m_zoom, Height * m_zoom};
}

QPoint PortraitCanvas::cellAt(QPointF view) const
{
    return {int(std::floor(view.x() / m_zoom)), int(std::floor(view.y() / m_zoom))};
}

bool PortraitCanvas::setZoom(int zoom)
{
    if (zoom == m_zoom || std::find(Zooms.begin(), Zooms.end(), zoom) == Zooms.end())
        return false;
    m_zoom = zoom;
    m_popup.hide(); // it stood at a place of the old view
    DrawGrid();
    m_backStale = viewRect();
    repaintAll();
    emit zoomChanged(m_zoom);
    return true;
}

int PortraitCanvas::steppedZoom(int steps) const
{
    const auto at = std::find(Zooms.begin(), Zooms.end(), m_zoom) - Zooms.begin();
    return Zooms[std::size_t(std::clamp<qsizetype>(at + steps, 0, qsizetype(Zooms.size()) - 1))];
}

void PortraitCanvas::showChange(const QRect& cells)
{
    // The portrait changed under the popup: it goes until the readout draws it again.
    hidePopup();
    const QRect area(cells.topLeft() * m_zoom, cells.size() * m_zoom);
    m_backStale |= area;
    repaint(area);
}

void PortraitCanvas::repaint(const QRect& area)
{
    const QRect r = area.intersected(viewRect());
    if (r.isEmpty())
        return;
    m_faceStale |= r;
    emit viewChanged(r);
}

void PortraitCanvas::repaintAll()
{
    m_shownGrid = gridOn();
    m_shownGridKey = m_grid.key();
    repaint(viewRect());
}

void PortraitCanvas::layoutSurfaces()
{
    m_grid.surface().resize(viewSize().width(), viewSize().height());
}

void PortraitCanvas::RedrawFace()
{
    hidePopup();
    if (!gridShownAsIs())
        repaintAll();
}

void PortraitCanvas::BltGrid()
{
    repaintAll();
}

void PortraitCanvas::DrawGrid()
{
    m_grid.draw(viewSize(), m_zoom);
}

void PortraitCanvas::DrawtoBB()
{
    m_popup.hide();
    m_backStale = viewRect();
    repaintAll();
}

PictureOverlay* PortraitCanvas::pictureLayer(ViewLayer layer)
{
    return const_cast<PictureOverlay*>(std::as_const(*this).pictureLayer(layer));
}

const PictureOverlay* PortraitCanvas::pictureLayer(ViewLayer layer) const
{
    switch (layer) {
    case ViewLayer::AsSaved:
        return &m_asSaved;
    case ViewLayer::ImportPreview:
        return &m_importPreview;
    case ViewLayer::Adjustment:
        return &m_adjustment;
    default:
        return nullptr;
    }
}

void PortraitCanvas::showPicture(ViewLayer layer, const QImage& picture)
{
    if (PictureOverlay* overlay = pictureLayer(layer)) {
        overlay->show(picture);
        repaint(viewRect());
    }
}

void PortraitCanvas::hidePicture(ViewLayer layer)
{
    PictureOverlay* overlay = pictureLayer(layer);
    if (overlay && overlay->isShown()) {
        overlay->hide();
        repaint(viewRect());
    }
}

bool PortraitCanvas::showsPicture(ViewLayer layer) const
{
    const PictureOverlay* overlay = pictureLayer(layer);
    return overlay && overlay->isShown();
}

void PortraitCanvas::showPopup(const QImage& face, QPoint topLeft, int alpha)
{
    const QRect before = m_popup.rect();
    m_popup.show(face, topLeft, alpha);
    repaint(before);
    repaint(m_popup.rect());
}

void PortraitCanvas::hidePopup()
{
    if (!m_popup.isShown())
        return;
    const QRect before = m_popup.rect();
    m_popup.hide();
    repaint(before);
}

void PortraitCanvas::showCellCursor(QPoint cell)
{
    const QRect before = m_cursor.rect(m_zoom);
    m_cursor.show(cell);
    repaint(before);
    repaint(m_cursor.rect(m_zoom));
}

void PortraitCanvas::hideCellCursor()
{
    const QRect before = m_cursor.rect(m_zoom);
    m_cursor.hide();
    repaint(before);
}

void PortraitCanvas::render(QImage& target, const QRect& area) const
{
    if (!viewRect().contains(area)) {
        // Beyond the view (a widget not yet resized to a new zoom) is black.
        for (int y = 0; y < area.height(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(target.scanLine(y)), area.width(), 0xFF000000u);
    }
    renderInto(target, QPoint(0, 0), area);
}

void PortraitCanvas::renderInto(QImage& target, QPoint origin, const QRect& area) const
{
    const QRect a = area.intersected(viewRect());
    if (a.isEmpty())
        return;
    // The standard grid goes into the pass that draws the cells.
    const QRgb line = toQRgb(GridLineColour);
    const bool gridWithCells = m_grid.isShown() && m_grid.isStandard(m_zoom);
    // The target is written through one pointer: a QImage detaches on every row asked for.
    const QPoint at = origin + (a.topLeft() - area.topLeft());
    const qsizetype stride = target.bytesPerLine();
    QRgb* const topLeft = reinterpret_cast<QRgb*>(target.bits() + at.y() * stride) + at.x();
    const ViewFrame frame{topLeft, stride, a, m_zoom, gridWithCells ? &line : nullptr};
    // From the topmost layer that replaces the cells; below it nothing would show.
    int from = ViewLayerCount;
    while (--from >= 0 && !m_layers[std::size_t(from)]->coversCells()) {
    }
    if (from < 0)
        Magnifier::magnify(m_document.picPreview().image(), m_zoom, a, topLeft, stride, frame.gridLine);
    else
        m_layers[std::size_t(from)]->paint(frame);
    ViewFrame over = frame;
    over.gridLine = nullptr;
    for (int i = from + 1; i < ViewLayerCount; ++i) {
        const ViewOverlay* layer = m_layers[std::size_t(i)];
        if (layer->isShown() && !(gridWithCells && layer == &m_grid))
            layer->paint(over);
    }
}

const Surface& PortraitCanvas::picFace() const
{
    if (m_face.size() != viewSize()) {
        m_face.resize(viewSize().width(), viewSize().height());
        m_faceStale = viewRect();
    }
    if (m_faceGrid != gridOn() || m_faceGridKey != m_grid.key()) {
        m_faceGrid = gridOn();
        m_faceGridKey = m_grid.key();
        m_faceStale = viewRect();
    }
    if (!m_faceStale.isEmpty())
        renderInto(m_face.image(), m_faceStale.topLeft(), m_faceStale);
    m_faceStale = QRect();
    return m_face;
}

const Surface& PortraitCanvas::picBackBuffer() const
{
    if (m_back.size() != viewSize()) {
        m_back.resize(viewSize().width(), viewSize().height());
        m_backStale = viewRect();
    }
    const QRect stale = m_backStale.intersected(viewRect());
    if (!stale.isEmpty()) {
        QImage& back = m_back.image();
        const qsizetype stride = back.bytesPerLine();
        Magnifier::magnify(m_document.picPreview().image(), m_zoom, stale,
                           reinterpret_cast<QRgb*>(back.bits() + stale.top() * stride) + stale.left(),
                           stride);
    }
    m_backStale = QRect();
    return m_back;
}
