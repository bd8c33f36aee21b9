#pragma once

#include <cmath>

namespace Portrait {
inline constexpr int Width = 48;
inline constexpr int Height = 56;
inline constexpr int Zoom = 8;
inline constexpr int ViewWidth = Width * Zoom;   // 384
inline constexpr int ViewHeight = Height * Zoom; // 448

// The cell under a view position; negative or past the edge while a drag leaves the view.
inline int cellOf(float viewCoordinate)
{
    return int(std::floor(viewCoordinate / Zoom));
}
inline bool isCell(int x, int y)
{
    return x >= 0 && x < Width && y >= 0 && y < Height;
}
} // namespace Portrait
