#pragma once

#include "document/PortraitDocument.h"
#include "document/PortraitGeometry.h"
#include "platform/Surface.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QUndoStack>
#include <functional>
#include <memory>

// How the portrait is shown: the back buffer holding it magnified as 8 x 8 blocks
// (picBackBuffer), the visible view (picFace), the grid overlay (picGrid) and the
// one-colour swatch (picRGB), kept in step with the document, which it redraws from on
// every change the document announces.
//
// The document's pixel store (picPreview), its changes and its history are reachable here
// too, as the calls the painting tools and commands make: each forwards to the document.
// portraitChanged() follows every change, once the view shows it.
class PortraitCanvas : public QObject {
    Q_OBJECT
public:
    static constexpr Colour GridLineColour = RGBColour(50, 50, 50);
    static constexpr Colour GridKeyColour = RGBColour(0, 0, 255);

    // With a document of its own, or showing one that outlives it.
    explicit PortraitCanvas(QObject* parent = nullptr);
    explicit PortraitCanvas(PortraitDocument& document, QObject* parent = nullptr);

    PortraitDocument& document() { return m_document; }
    const PortraitDocument& document() const { return m_document; }

    Surface& picPreview() { return m_preview; }
    // The back buffer as it stands, written out first when it is behind.
    Surface& picBackBuffer()
    {
        settleBackBuffer();
        return m_backBuffer;
    }
    Surface& picFace() { return m_face; }
    Surface& picGrid() { return m_grid; }
    Surface& picRGB() { return m_rgb; }
    const Surface& picPreview() const { return m_preview; }
    const Surface& picBackBuffer() const
    {
        settleBackBuffer();
        return m_backBuffer;
    }
    // One pixel of the back buffer (InvalidColour outside it), without writing it out.
    Colour backBufferPixel(int x, int y) const;
    const Surface& picFace() const { return m_face; }
    const Surface& picGrid() const { return m_grid; }

    // Whether the grid is on; the toolbar's Grid button answers it.
    void setGridSource(std::function<bool()> gridOn) { m_gridOn = std::move(gridOn); }
    bool gridOn() const { return m_gridOn && m_gridOn(); }

    // Sizes the surfaces (idempotent) as the window's layout pass does.
    void layoutSurfaces();

    // The view rebuilt from the back buffer with the grid over it. When the view's state
    // is known only what differs from that (the popup, changed cells) is copied and
    // presented; otherwise all of it.
    void RedrawFace();
    void BltGrid();
    void DrawGrid();
    void DrawtoBB();
    void clearView();
    // Another 48 x 56 picture magnified in the view, under the grid as usual; the
    // portrait, the back buffer and the history stay as they are, and the next
    // RedrawFace shows the portrait again.
    void showPreview(const QImage& picture);
    // A constant-alpha blend over the view (the RGB popup), remembered so the next redraw
    // restores just that rectangle; presents the rectangle.
    void blendOverView(const QImage& source, int dx, int dy, int w, int h, int sx, int sy, int alpha);

    // One cell of the back buffer as a solid 8 x 8 block, through the swatch.
    void blockFill(int x, int y, Colour c);

    // The common end of the painting tools: pixel store, back buffer and view in step.
    void commitCell(int x, int y, Colour c) { m_document.setCell(x, y, c); }
    // Many cells as one change (Fill); the view is redrawn once.
    void commitCells(const QList<QPoint>& cells, Colour c) { m_document.setCells(cells, c); }

    // Whole-portrait replacements (see PortraitDocument); the view follows.
    void loadPortrait(const QImage& picture) { m_document.loadPortrait(picture); }
    // New: store, view and back buffer cleared to the colour.
    void newPortrait(Colour background);
    void importRegion(const QImage& source, int rx, int ry, Colour background)
    {
        m_document.importRegion(source, rx, ry, background);
    }
    void restorePortrait(const QImage& portrait) { m_document.restorePortrait(portrait); }
    // Replace the back buffer with an already magnified rendering and redraw the view.
    void setBackBuffer(const Surface& magnified);

    QUndoStack& history() { return m_document.history(); }
    bool isModified() const { return m_document.isModified(); }
    static constexpr int HistoryLimit = PortraitDocument::HistoryLimit;
    void beginChange() { m_document.beginChange(); }
    void endChange() { m_document.endChange(); }
    bool inChange() const { return m_document.inChange(); }
    void undo() { m_document.undo(); }
    void redo() { m_document.redo(); }
    void restoreFromHistory(const QImage& portrait) { m_document.restoreFromHistory(portrait); }

signals:
    void portraitChanged();

private:
    PortraitCanvas(std::unique_ptr<PortraitDocument> own, PortraitDocument* shown, QObject* parent);
    // The view's answer to a change of the document: the changed cells re-rendered from
    // the store (all of it, magnified in one pass, for a replacement).
    void showChange(const QRect& cells);
    // The surfaces as the fast paths expect them (the layout pass keeps them so).
    bool standardSizes() const;
    // Whether the view is the composition of the back buffer and the grid except for
    // m_viewStale: nothing wrote into the surfaces behind the canvas's back since.
    bool viewTracked() const;
    void markViewTracked();
    void composeView(const QRect& area);
    // Writes out a back buffer that is behind.
    void settleBackBuffer() const;
    // Whether the grid is exactly what DrawGrid draws: lines on every eighth row and
    // column, the key colour elsewhere. The view's rows then come from the back buffer alone.
    bool gridIsStandard() const;

    QList<QRect> m_viewStale;
    bool m_viewKnown = false;
    bool m_viewGrid = false;
    qint64 m_faceKey = 0;
    mutable qint64 m_backKey = 0;
    qint64 m_gridKey = 0;
    qint64 m_standardGridKey = -1;

    std::function<bool()> m_gridOn;
    std::unique_ptr<PortraitDocument> m_ownDocument;
    PortraitDocument& m_document;
    Surface& m_preview; // the document's store
    // A whole-portrait redraw renders the view alone and leaves the back buffer behind: it
    // is then m_backSource (the store as that redraw found it) magnified, and is written out
    // when it is first read through picBackBuffer() or drawn into. The view and the pointer
    // readout take its pixels from m_backSource meanwhile.
    mutable Surface m_backBuffer;
    mutable bool m_backPending = false;
    mutable QImage m_backSource;
    Surface m_face;
    Surface m_grid;
    Surface m_rgb;
};
