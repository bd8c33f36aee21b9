#pragma once

#include "canvas/ViewOverlay.h"
#include "platform/Surface.h"

#include <functional>

// The cell grid: one-pixel lines on the first column and the first row of every cell,
// drawn once per zoom into a surface of its own (picGrid) whose key colour lets the view
// through, and laid over the view while the grid is on.
class GridOverlay : public ViewOverlay {
public:
    static constexpr Colour LineColour = RGBColour(50, 50, 50);
    static constexpr Colour KeyColour = RGBColour(0, 0, 255);

    explicit GridOverlay(QSize view);

    void setSource(std::function<bool()> on) { m_on = std::move(on); }
    Surface& surface() { return m_surface; }
    const Surface& surface() const { return m_surface; }
    // The lines for a view of that size at that zoom; drawing them again gives the same image.
    void draw(QSize view, int zoom);
    // Changes whenever anything draws into the surface.
    qint64 key() const { return m_surface.image().cacheKey(); }

    // Whether the surface holds just what draw() drew for this zoom: the lines can then be
    // written without reading it, and in the same pass as the cells.
    bool isStandard(int zoom) const;

    bool isShown() const override { return m_on && m_on(); }
    void paint(const ViewFrame& frame) const override;

private:
    std::function<bool()> m_on;
    Surface m_surface;
    qint64 m_standardKey = -1;
    int m_standardZoom = 0;
};
