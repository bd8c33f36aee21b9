#include "canvas/PortraitCanvas.h"

#include "canvas/PortraitChange.h"
#include "platform/SystemColor.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Portrait;

namespace {

// One row of the view: the grid's pixel where it is not the key colour, else the back
// buffer's (made opaque, as a plain copy does). Four pixels at a time where SSE2 is.
void composeRow(QRgb* d, const QRgb* s, const QRgb* g, int n, QRgb key)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i k = _mm_set1_epi32(int(key));
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    for (; x + 4 <= n; x += 4) {
        const __m128i gv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + x));
        const __m128i sv = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x)), opaque);
        const __m128i isKey = _mm_cmpeq_epi32(gv, k);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                         _mm_or_si128(_mm_and_si128(isKey, sv), _mm_andnot_si128(isKey, gv)));
    }
#endif
    for (; x < n; ++x)
        d[x] = g[x] != key ? g[x] : (s[x] | 0xFF000000u);
}

void opaqueCopyRow(QRgb* d, const QRgb* s, int n)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    for (; x + 4 <= n; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                         _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x)), opaque));
#endif
    for (; x < n; ++x)
        d[x] = s[x] | 0xFF000000u;
}

// A plain row copy through the C library's memcpy (the widest stores the machine has):
// kept opaque to the optimiser so the constant size does not become a slow inlined string move.
[[gnu::noipa]] void copyRow(QRgb* d, const QRgb* s, int n)
{
    std::memcpy(d, s, std::size_t(n) * sizeof(QRgb));
}

} // namespace

PortraitCanvas::PortraitCanvas(QObject* parent)
    : QObject(parent), m_preview(Width, Height, 0), m_backBuffer(ViewWidth, ViewHeight, 0),
      m_face(ViewWidth, ViewHeight, 0), m_grid(ViewWidth, ViewHeight, GridKeyColour),
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

void PortraitCanvas::beginChange()
{
    ++m_changeDepth;
}

void PortraitCanvas::endChange()
{
    if (m_changeDepth == 0)
        return;
    if (--m_changeDepth == 0)
        recordStep();
}

void PortraitCanvas::undo()
{
    if (!inChange())
        m_history.undo();
}

void PortraitCanvas::redo()
{
    if (!inChange())
        m_history.redo();
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
    const QImage& lines = m_grid.image();
    const QRgb line = toQRgb(GridLineColour);
    const bool standard = grid && gridIsStandard();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (standard) {
            auto* d = reinterpret_cast<QRgb*>(face.scanLine(y));
            if (y % Zoom == 0) {
                std::fill(d + r.left(), d + r.right() + 1, line);
                continue;
            }
            const auto* s = reinterpret_cast<const QRgb*>(back.constScanLine(y));
            opaqueCopyRow(d + r.left(), s + r.left(), r.width());
            for (int x = (r.left() + Zoom - 1) / Zoom * Zoom; x <= r.right(); x += Zoom)
                d[x] = line;
            continue;
        }
        const auto* s = reinterpret_cast<const QRgb*>(back.constScanLine(y)) + r.left();
        auto* d = reinterpret_cast<QRgb*>(face.scanLine(y)) + r.left();
        if (grid)
            composeRow(d, s, reinterpret_cast<const QRgb*>(lines.constScanLine(y)) + r.left(), r.width(),
                       key);
        else
            opaqueCopyRow(d, s, r.width());
    }
}

void PortraitCanvas::RedrawFace()
{
    if (!standardSizes()) {
        // The whole drawing area is replaced; the caller or BltGrid presents it.
        m_viewKnown = false;
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
    // The same pixels as a block fill per cell followed by a redraw, written row by row:
    // each back buffer row once and the view's row from it while it is still in cache.
    const bool grid = gridOn();
    const bool standard = grid && gridIsStandard();
    const QRgb key = toQRgb(GridKeyColour);
    const QRgb line = toQRgb(GridLineColour);
    QRgb row[ViewWidth];
    QRgb lined[ViewWidth]; // the row with the standard grid's columns over it
    Colour last = m_rgb.backColor();
    for (int y = 0; y < Height; ++y) {
        const auto* store = reinterpret_cast<const QRgb*>(m_preview.image().constScanLine(y));
        for (int x = 0; x < Width; ++x)
            std::fill(row + Zoom * x, row + Zoom * (x + 1), toQRgb(fromQRgb(store[x])) | 0xFF000000u);
        if (y == Height - 1)
            last = fromQRgb(store[Width - 1]);
        if (standard) {
            copyRow(lined, row, ViewWidth);
            for (int x = 0; x < ViewWidth; x += Zoom)
                lined[x] = line;
        }
        for (int k = 0; k < Zoom; ++k) {
            const int py = Zoom * y + k;
            copyRow(reinterpret_cast<QRgb*>(m_backBuffer.image().scanLine(py)), row, ViewWidth);
            auto* d = reinterpret_cast<QRgb*>(m_face.image().scanLine(py));
            if (standard) {
                if (k == 0)
                    std::fill(d, d + ViewWidth, line);
                else
                    copyRow(d, lined, ViewWidth);
            } else if (grid) {
                const auto* g = reinterpret_cast<const QRgb*>(m_grid.image().constScanLine(py));
                composeRow(d, row, g, ViewWidth, key);
            } else {
                copyRow(d, row, ViewWidth);
            }
        }
    }
    // The swatch ends as the last block fill leaves it.
    m_rgb.setBackColor(last);
    m_backBuffer.present();
    m_viewStale.clear();
    markViewTracked();
    m_face.present();
}

void PortraitCanvas::blockFill(int x, int y, Colour c)
{
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

void PortraitCanvas::commitCell(int x, int y, Colour c)
{
    // The view ends as a clear and full redraw would leave it; only the cell and
    // whatever was drawn over the view since are copied and presented.
    blockFill(x, y, c);
    RedrawFace();
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
    RedrawFace();
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
    // The redraw replaces the whole view, so no clear first.
    RedrawFace();
    changed();
}

void PortraitCanvas::restorePortrait(const QImage& portrait)
{
    m_preview.copyFrom(portrait, 0, 0, Width, Height, 0, 0);
    m_preview.present();
    DrawtoBB();
    changed();
}
