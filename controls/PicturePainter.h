#pragma once

#include <QRect>

class ButtonCanvas;
struct ButtonState;

// Draws a button's picture into the back buffer: bitmaps through their cached copy with
// the key colour left out, icons by their own transparency. A disabled button shows the
// picture as one grey silhouette instead.
class PicturePainter {
public:
    static void draw(ButtonCanvas& canvas, const ButtonState& s, QRect rect);
};
