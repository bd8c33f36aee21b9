#pragma once

#include <QPoint>
#include <QSize>
#include <functional>

class PointerReadout;
class PopupFace;
class PortraitCanvas;
class QImage;
struct EditingState;

// The translucent label drawn over the view beside the pointer, showing the colour
// under it. It is a layer of the view: the next redraw takes it off.
class RgbPopup {
public:
    enum class Option { Always, OnlyWithCtrl, Never };

    RgbPopup(PortraitCanvas& canvas, const EditingState& state, const PointerReadout& tools, PopupFace& face,
             std::function<Option()> option);

    // The popup step of a pointer move: drawn as the option and the modifier mask allow.
    void popupStep(int shift, float x, float y);
    // Redraws the view and draws the popup at the last position, whatever the option.
    void RedrawRGB();
    // Draws the popup beside the pointer at (x, y), as placeAt() places it.
    void draw(float x, float y);

    // Where a popup of that size goes for the pointer at (x, y) in a view of that size:
    // its top-left corner at the pointer + (8, 8) where it fits whole; otherwise 8 pixels
    // to the pointer's other side (left, above, or both); never out of the view where it
    // fits in it at all.
    static QPoint placeAt(float x, float y, QSize popup, QSize view);

    static void BlendBlt(short width, short height, const QImage& source, short sourceX, short sourceY,
                         PortraitCanvas& destination, short destinationX, short destinationY,
                         unsigned char alpha);
    static int widthFor(int captionLength) { return 7 * captionLength + 18; }

private:
    PortraitCanvas& m_canvas;
    const EditingState& m_state;
    const PointerReadout& m_tools;
    PopupFace& m_face;
    std::function<Option()> m_option;
};
