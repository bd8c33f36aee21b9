#pragma once

#include "canvas/CellCursorOverlay.h"
#include "canvas/GridOverlay.h"
#include "canvas/PictureOverlay.h"
#include "canvas/PopupOverlay.h"
#include "canvas/ViewOverlay.h"
#include "platform/Surface.h"

#include <QObject>
#include <QPoint>
#include <array>
#include <functional>
#include <optional>

class PortraitDocument;

// The magnified view of the portrait. It keeps no pixels of its own: whatever part of
// the view has to be shown is drawn at that moment (render()), the document's cells
// enlarged at the view's zoom and then the layers over them in one ordered list (see
// ViewLayer): a picture shown in place of the portrait, the grid, the keyboard's cell
// cursor and the RGB popup. Every change of the document, the zoom or a layer says which
// view pixels to draw again (viewChanged).
//
// The drawing methods keep their names for what they do now: RedrawFace takes the popup
// off and brings a grid that was switched or redrawn onto the view, BltGrid shows the
// grid over the whole view, DrawGrid draws the grid's lines (picGrid), DrawtoBB shows
// the whole portrait again. The back buffer (the portrait enlarged) and the face (the
// view as shown) are rendered on demand for whoever asks for them.
class PortraitCanvas : public QObject {
    Q_OBJECT
public:
    static constexpr Colour GridLineColour = GridOverlay::LineColour;
    static constexpr Colour GridKeyColour = GridOverlay::KeyColour;
    // View pixels per cell the view steps through, and the one it starts at.
    static constexpr std::array<int, 5> Zooms{4, 6, 8, 12, 16};
    static constexpr int StartZoom = 8;

    explicit PortraitCanvas(const PortraitDocument& document, QObject* parent = nullptr);

    const PortraitDocument& document() const { return m_document; }

    int zoom() const { return m_zoom; }
    // One of Zooms; false, and nothing changes, for any other value.
    bool setZoom(int zoom);
    // The zoom a step up (+1) or down (-1) from the current one; the same at either end.
    int steppedZoom(int steps) const;
    QSize viewSize() const;
    QRect viewRect() const { return {QPoint(0, 0), viewSize()}; }
    // The cell under a view position; off the portrait while a drag leaves the view.
    QPoint cellAt(QPointF view) const;
    QRect cellRect(QPoint cell) const { return {cell * m_zoom, QSize(m_zoom, m_zoom)}; }

    // Whether the grid is on; the toolbar's Grid button answers it.
    void setGridSource(std::function<bool()> gridOn) { m_grid.setSource(std::move(gridOn)); }
    bool gridOn() const { return m_grid.isShown(); }

    // Sizes the grid's surface to the view, as the window's layout pass does.
    void layoutSurfaces();
    void RedrawFace();
    void BltGrid();
    void DrawGrid();
    void DrawtoBB();

    // A picture in place of the portrait on one of the picture layers (AsSaved,
    // ImportPreview, Adjustment) until hidden; the topmost one shown is what the view shows.
    void showPicture(ViewLayer layer, const QImage& picture);
    void hidePicture(ViewLayer layer);
    bool showsPicture(ViewLayer layer) const;
    // The RGB popup: face blended at topLeft (view pixels) with the alpha, until the next
    // RedrawFace, change of the portrait or zoom.
    void showPopup(const QImage& face, QPoint topLeft, int alpha);
    void hidePopup();
    QRect popupRect() const { return m_popup.rect(); }
    // The keyboard's cell cursor.
    void showCellCursor(QPoint cell);
    void hideCellCursor();
    std::optional<QPoint> cellCursor() const { return m_cursor.cell(); }

    // Draws view pixels area (clipped to the view) into target, area's top-left corner at
    // target's pixel (0, 0): the one way the view is drawn, on screen and on demand.
    void render(QImage& target, const QRect& area) const;

    // The view as it shows now, and the portrait enlarged without any layer.
    const Surface& picFace() const;
    const Surface& picBackBuffer() const;
    // The grid's lines; drawing into it changes what the grid lays over the view (shown at
    // the next RedrawFace).
    Surface& picGrid() { return m_grid.surface(); }
    const Surface& picGrid() const { return m_grid.surface(); }

signals:
    // View pixels that show something else now.
    void viewChanged(const QRect& area);
    void zoomChanged(int zoom);

private:
    void showChange(const QRect& cells);
    void repaint(const QRect& area);
    void repaintAll();
    void renderInto(QImage& target, QPoint origin, const QRect& area) const;
    PictureOverlay* pictureLayer(ViewLayer layer);
    const PictureOverlay* pictureLayer(ViewLayer layer) const;
    // The grid as the view last showed it whole: switching it or drawing into it shows
    // at the next RedrawFace.
    bool gridShownAsIs() const { return m_shownGrid == gridOn() && m_shownGridKey == m_grid.key(); }

    const PortraitDocument& m_document;
    int m_zoom = StartZoom;
    GridOverlay m_grid;
    PictureOverlay m_asSaved;
    PictureOverlay m_importPreview;
    PictureOverlay m_adjustment;
    CellCursorOverlay m_cursor;
    PopupOverlay m_popup;
    // Bottom to top, in ViewLayer's order.
    std::array<const ViewOverlay*, ViewLayerCount> m_layers;
    bool m_shownGrid = false;
    qint64 m_shownGridKey = 0;

    // The on-demand renderings and the rectangle of each that is out of date (one
    // rectangle: a long session of changes with nobody asking costs nothing).
    mutable Surface m_face;
    mutable QRect m_faceStale;
    mutable bool m_faceGrid = false;
    mutable qint64 m_faceGridKey = 0;
    mutable Surface m_back;
    mutable QRect m_backStale;
};
