#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// What the view draws over the portrait's cells, bottom to top. The picture layers show
// a whole 48 x 56 picture in place of the portrait (the topmost one shown wins); the
// grid, the keyboard's cell cursor and the RGB popup are drawn over whichever shows.
enum class ViewLayer { AsSaved, ImportPreview, Adjustment, Grid, CellCursor, Popup };
inline constexpr int ViewLayerCount = 6;

// A rectangle of the view being drawn: view pixel area.topLeft() is *topLeft, and rows
// are stride bytes apart.
struct ViewFrame {
    QRgb* topLeft;
    qsizetype stride;
    QRect area;
    int zoom;
    // Set when the cells are to be drawn with the grid's lines (of this colour) in the
    // same pass: the grid as drawn, but each pixel written once.
    const QRgb* gridLine = nullptr;

    QRgb* at(int viewX, int viewY) const
    {
        return reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(topLeft) + (viewY - area.top()) * stride) +
               (viewX - area.left());
    }
};

// One layer of the view.
class ViewOverlay {
public:
    virtual ~ViewOverlay() = default;
    virtual bool isShown() const = 0;
    // Whether it replaces every cell of the view, so that nothing below it is drawn.
    virtual bool coversCells() const { return false; }
    // Draws what it shows of frame.area.
    virtual void paint(const ViewFrame& frame) const = 0;
};
