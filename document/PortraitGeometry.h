#pragma once

namespace Portrait {
inline constexpr int Width = 48;
inline constexpr int Height = 56;

inline bool isCell(int x, int y)
{
    return x >= 0 && x < Width && y >= 0 && y < Height;
}
} // namespace Portrait
