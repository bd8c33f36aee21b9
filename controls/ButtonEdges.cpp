#include "controls/ButtonEdges.h"

#include "controls/ButtonCanvas.h"
#include "controls/ButtonTypes.h"

using namespace kuButtons;

ButtonEdges::Table ButtonEdges::none()
{
    Table t;
    t.fill(None);
    return t;
}

void ButtonEdges::ring(Table& t, Ring r, qint64 leftTop, qint64 rightBottom)
{
    t[r * 4 + 0] = leftTop;
    t[r * 4 + 1] = leftTop;
    t[r * 4 + 2] = rightBottom;
    t[r * 4 + 3] = rightBottom;
}

void ButtonEdges::draw(ButtonCanvas& cv, const Table& t, int L, int R, int shape)
{
    const int W = cv.width();
    const int H = cv.height();
    const int dl = (shape == DiagonalLeft || shape == DiagonalBoth) ? 1 : 0;
    const int dr = (shape == DiagonalRight || shape == DiagonalBoth) ? 1 : 0;
    const QPoint rings[3][5] = {
        // inner (inset 2)
        {{L + 2 - 4 * dl, H - 3},
         {2 + 2 * dl, 2},
         {R - 3 + 3 * dr, 2},
         {W - 3 - 3 * dr, H - 3},
         {L + 1 - 4 * dl, H - 3}},
        // middle (inset 1), parallel to the other two
        {{L + 1 - 3 * dl, H - 2},
         {1 + dl, 1},
         {R - 2 + 2 * dr, 1},
         {W - 2 - 2 * dr, H - 2},
         {L - 3 * dl, H - 2}},
        // outer (inset 0)
        {{L - dl, H - 1 + dl}, {0, 0}, {R + dr - 1, 0}, {W - 1, H - 1 + dr}, {L - 2 * dl - 1, H - 1}},
    };
    for (int ringIndex = 0; ringIndex < 3; ++ringIndex)
        for (int side = 0; side < 4; ++side) {
            const qint64 c = t[ringIndex * 4 + side];
            if (c >= 0)
                cv.line(rings[ringIndex][side], rings[ringIndex][side + 1], Colour(c));
        }
}
