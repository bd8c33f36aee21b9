#pragma once

#include <functional>

class PointerReadout;
class PopupFace;
class PortraitCanvas;
class QImage;
struct EditingState;

// The translucent label drawn over the view beside the pointer, showing the colour
// under it. It exists only as pixels of the view: the next redraw removes it.
class RgbPopup {
public:
    enum class Option { Always, OnlyWithCtrl, Never };

    RgbPopup(PortraitCanvas& canvas, const EditingState& state, const PointerReadout& tools, PopupFace& face,
             std::function<Option()> option);

    // The popup step of a pointer move: drawn as the option and the modifier mask allow.
    void popupStep(int shift, float x, float y);
    // Redraws the view and draws the popup at the last position, whatever the option.
    void RedrawRGB();
    // Draws the popup with its top-left corner at (x + 8, y + 8).
    void draw(float x, float y);

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
