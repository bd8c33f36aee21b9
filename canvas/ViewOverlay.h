#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// What the view draws over the portrait's cells, bottom to top. The picture layers show
// a whole 48 x 56 picture in place of the portrait (the topmost one shown wins); the
// grid, the keyboard's cell cursor and the RGB popup are drawn over whichever shows.
enum class ViewLayer { AsSaved, ImportPreview, Adjustment, Grid, CellCursor, Popup };
inline constexpr int ViewLayerCount = 6;

// A rectangle of the view being drawn: view pixel (x, y) of area is pixel
// (x - area.left(), y - area.top()) + origin of image.
struct ViewFrame {
    QImage& image;
    QPoint origin;
    QRect area;
    int zoom;

    QRgb* at(int viewX, int viewY) const
    {
        return reinterpret_cast<QRgb*>(image.scanLine(viewY - area.top() + origin.y())) +
               (viewX - area.left() + origin.x());
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
