#pragma once

#include <QImage>

// The one routine that magnifies the portrait: each pixel of the 48 x 56 store becomes a
// solid, opaque 8 x 8 block of the 384 x 448 back buffer. The view is written in the same
// pass, each row from the block row while it is still in cache, as the back buffer with
// the grid over it composes: one rendering, one copy.
class Magnifier {
public:
    struct Grid {
        // The overlay over the view, or nullptr for none; its key colour lets the back
        // buffer through.
        const QImage* overlay = nullptr;
        QRgb key = 0;
        // When the overlay is known to be exactly this colour on every eighth row and
        // column and the key colour elsewhere, the lines are written without reading it.
        bool standard = false;
        QRgb line = 0;
    };

    // store: 48 x 56; backBuffer and view (each when given) and the overlay: 384 x 448;
    // all RGB32.
    static void magnify(const QImage& store, QImage* backBuffer, QImage* view, const Grid& grid);
    // Columns [from, to) of the back buffer's row y as the store gives them, written to
    // row[from] to row[to - 1].
    static void backRow(const QImage& store, int y, int from, int to, QRgb* row);
};
