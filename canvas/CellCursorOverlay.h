#pragma once

#include "canvas/ViewOverlay.h"

#include <optional>

// The keyboard's cell cursor: a white ring on the cell's own edge inside a black ring
// around it, so it shows on any colour.
class CellCursorOverlay : public ViewOverlay {
public:
    static constexpr QRgb Inner = 0xFFFFFFFFu;
    static constexpr QRgb Outer = 0xFF000000u;

    void show(QPoint cell) { m_cell = cell; }
    void hide() { m_cell.reset(); }
    std::optional<QPoint> cell() const { return m_cell; }
    // The view pixels it covers at the zoom; empty while hidden.
    QRect rect(int zoom) const;

    bool isShown() const override { return m_cell.has_value(); }
    void paint(const ViewFrame& frame) const override;

private:
    std::optional<QPoint> m_cell;
};
