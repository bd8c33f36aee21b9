#include "canvas/PortraitCanvas.h"

#include "canvas/Magnifier.h"
#include "canvas/ViewRows.h"
#include "platform/SystemColor.h"

#include <algorithm>

using namespace Portrait;

PortraitCanvas::PortraitCanvas(QObject* parent)
    : PortraitCanvas(std::make_unique<PortraitDocument>(), nullptr, parent)
{
}

PortraitCanvas::PortraitCanvas(PortraitDocument& document, QObject* parent)
    : PortraitCanvas(nullptr, &document, parent)
{
}

PortraitCanvas::PortraitCanvas(std::unique_ptr<PortraitDocument> own, PortraitDocument* shown,
                               QObject* parent)
    : QObject(parent), m_ownDocument(std::move(own)), m_document(shown ? *shown : *m_ownDocument),
      m_preview(m_document.picPreview()), m_backBuffer(ViewWidth, ViewHeight, 0),
      m_face(ViewWidth, ViewHeight, 0), m_grid(ViewWidth, ViewHeight, GridKeyColour),
      m_rgb(16, 16, SystemColorToRgb(SystemColour(SystemColourIndex::ButtonFace)))
{
    connect(&m_document, &PortraitDocument::changed, this, &PortraitCanvas::showChange);
}

void PortraitCanvas::showChange(const QRect& cells)
{
    if (cells == PortraitDocument::WholePortrait) {
        DrawtoBB();
    } else {
        // The view ends as a clear and full redraw would leave it; only the cells and
        // whatever was drawn over the view since are copied and presented.
        for (int y = cells.top(); y <= cells.bottom(); ++y)
            for (int x = cells.left(); x <= cells.right(); ++x)
                blockFill(x, y, m_preview.pixel(x, y));
        RedrawFace();
    }
    emit portraitChanged();
}

void PortraitCanvas::layoutSurfaces()
{
    settleBackBuffer();
    m_face.resize(ViewWidth, ViewHeight);
    m_grid.resize(ViewWidth, ViewHeight);
    m_backBuffer.resize(ViewWidth, ViewHeight);
    m_rgb.resize(16, 16);
    m_preview.resize(Width, Height);
}

bool PortraitCanvas::standardSizes() const
{
    const QSize view(ViewWidth, ViewHeight);
    return m_face.size() == view && m_backBuffer.size() == view && m_grid.size() == view &&
           m_rgb.width() >= Zoom && m_rgb.height() >= Zoom;
}

bool PortraitCanvas::viewTracked() const
{
    // A QImage's cache key changes on every write access, so a key that still matches
    // means no one drew into the surface since the canvas last composed it.
    return m_viewKnown && m_face.image().cacheKey() == m_faceKey &&
           m_backBuffer.image().cacheKey() == m_backKey && m_grid.image().cacheKey() == m_gridKey &&
           gridOn() == m_viewGrid && standardSizes();
}

void PortraitCanvas::markViewTracked()
{
    m_viewKnown = true;
    m_viewGrid = gridOn();
    m_faceKey = m_face.image().cacheKey();
    m_backKey = m_backBuffer.image().cacheKey();
    m_gridKey = m_grid.image().cacheKey();
}

bool PortraitCanvas::gridIsStandard() const
{
    return m_grid.image().cacheKey() == m_standardGridKey && m_grid.size() == QSize(ViewWidth, ViewHeight);
}

void PortraitCanvas::composeView(const QRect& area)
{
    // The same pixels as a copy of the back buffer followed by the grid's colour-keyed
    // copy, in one pass.
    const QRect r = area.intersected(m_face.rect());
    if (r.isEmpty())
        return;
    const bool grid = gridOn();
    const QRgb key = toQRgb(GridKeyColour);
    QImage& face = m_face.image();
    const QImage& back = m_backBuffer.image();
    QRgb behind[ViewWidth]; // a row of a back buffer that is behind
    const QImage& lines = m_grid.image();
    const QRgb line = toQRgb(GridLineColour);
    const bool standard = grid && gridIsStandard();
    const auto backRow = [&](int y) -> const QRgb* {
        if (!m_backPending)
            return reinterpret_cast<const QRgb*>(back.constScanLine(y));
        Magnifier::backRow(m_backSource, y, r.left(), r.right() + 1, behind);
        return behind;
    };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (standard) {
            auto* d = reinterpret_cast<QRgb*>(face.scanLine(y));
            if (y % Zoom == 0) {
                std::fill(d + r.left(), d + r.right() + 1, line);
                continue;
            }
            const QRgb* s = backRow(y);
            ViewRows::opaqueCopy(d + r.left(), s + r.left(), r.width());
            for (int x = (r.left() + Zoom - 1) / Zoom * Zoom; x <= r.right(); x += Zoom)
                d[x] = line;
            continue;
        }
        const QRgb* s = backRow(y) + r.left();
        auto* d = reinterpret_cast<QRgb*>(face.scanLine(y)) + r.left();
        if (grid)
            ViewRows::compose(d, s, reinterpret_cast<const QRgb*>(lines.constScanLine(y)) + r.left(),
                              r.width(), key);
        else
            ViewRows::opaqueCopy(d, s, r.width());
    }
}

void PortraitCanvas::RedrawFace()
{
    if (!standardSizes()) {
        // The whole drawing area is replaced; the caller or BltGrid presents it.
        m_viewKnown = false;
        settleBackBuffer();
        m_face.copyFrom(m_backBuffer, 0, 0, ViewWidth + 4, ViewHeight + 4, 0, 0);
        if (gridOn())
            BltGrid();
        return;
    }
    if (viewTracked()) {
        for (const QRect& r : std::as_const(m_viewStale)) {
            composeView(r);
            m_face.present(r);
        }
    } else {
        composeView(m_face.rect());
        m_face.present();
    }
    m_viewStale.clear();
    markViewTracked();
}

void PortraitCanvas::blendOverView(const QImage& source, int dx, int dy, int w, int h, int sx, int sy,
                                   int alpha)
{
    const bool tracked = viewTracked();
    m_face.blendFrom(source, dx, dy, w, h, sx, sy, alpha);
    const QRect r = QRect(dx, dy, w, h).intersected(m_face.rect());
    if (tracked) {
        if (!r.isEmpty())
            m_viewStale.append(r);
        m_faceKey = m_face.image().cacheKey();
    }
    m_face.present(r);
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
    const bool standard =
        m_grid.size() == QSize(ViewWidth, ViewHeight) && m_grid.backColor() == GridKeyColour;
    m_standardGridKey = standard ? m_grid.image().cacheKey() : -1;
}

void PortraitCanvas::clearView()
{
    m_face.clear();
}

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
    if (!standardSizes() || m_preview.size() != QSize(Width, Height)) {
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                blockFill(x, y, m_preview.pixel(x, y));
        clearView();
        RedrawFace();
        m_face.present();
        return;
    }
    // The same pixels as a block fill per cell followed by a redraw.
    Magnifier::Grid grid;
    if (gridOn()) {
        grid.overlay = &m_grid.image();
        grid.key = toQRgb(GridKeyColour);
        grid.standard = gridIsStandard();
        grid.line = toQRgb(GridLineColour);
    }
    Magnifier::magnify(m_preview.image(), nullptr, &m_face.image(), grid);
    m_backSource = m_preview.image();
    m_backPending = true;
    // The swatch ends as the last block fill leaves it.
    m_rgb.setBackColor(m_preview.pixel(Width - 1, Height - 1));
    m_viewStale.clear();
    markViewTracked();
    m_face.present();
}

void PortraitCanvas::blockFill(int x, int y, Colour c)
{
    settleBackBuffer();
    const bool tracked = viewTracked();
    m_rgb.setBackColor(c);
    const QRect cell(Zoom * x, Zoom * y, Zoom, Zoom);
    m_backBuffer.copyFrom(m_rgb, cell.x(), cell.y(), Zoom, Zoom, 0, 0);
    if (tracked) {
        m_backKey = m_backBuffer.image().cacheKey();
        const QRect r = cell.intersected(m_face.rect());
        if (!r.isEmpty())
            m_viewStale.append(r);
    }
    m_backBuffer.present(cell);
}

void PortraitCanvas::newPortrait(Colour background)
{
    // The view's surfaces take the colour as their background too (what a clear leaves).
    m_face.setBackColor(background);
    m_backPending = false; // the clear covers all of it
    m_backSource = QImage();
    m_backBuffer.setBackColor(background);
    m_document.newPortrait(background);
}

void PortraitCanvas::setBackBuffer(const Surface& magnified)
{
    settleBackBuffer();
    m_backBuffer.copyFrom(magnified, 0, 0, ViewWidth, ViewHeight, 0, 0);
    m_backBuffer.present();
    // The redraw replaces the whole view, so no clear first.
    RedrawFace();
}

void PortraitCanvas::settleBackBuffer() const
{
    if (!m_backPending)
        return;
    const bool tracked = viewTracked();
    m_backPending = false;
    Magnifier::magnify(m_backSource, &m_backBuffer.image(), nullptr, {});
    m_backSource = QImage();
    // The view still shows what it showed: the back buffer now holds it in full.
    if (tracked)
        m_backKey = m_backBuffer.image().cacheKey();
    m_backBuffer.present();
}

Colour PortraitCanvas::backBufferPixel(int x, int y) const
{
    if (!m_backPending)
        return m_backBuffer.pixel(x, y);
    if (x < 0 || y < 0 || x >= ViewWidth || y >= ViewHeight)
        return InvalidColour;
    return fromQRgb(m_backSource.pixel(x / Zoom, y / Zoom) | 0xFF000000u);
}
