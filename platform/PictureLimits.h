#pragma once

#include <cstdint>

// How large a picture may be before it is refused unread, for Open and Import alike. A
// hostile header can claim any size; a 16384-pixel side or 100 megapixels is far beyond any
// picture a portrait is cut from, and still decodes inside the import helper's memory cap.
namespace PictureLimits {
inline constexpr std::uint32_t MaxSide = 16384;
inline constexpr std::uint64_t MaxPixels = 100'000'000;

constexpr bool withinBounds(std::uint64_t width, std::uint64_t height)
{
    return width <= MaxSide && height <= MaxSide && width * height <= MaxPixels;
}
} // namespace PictureLimits
