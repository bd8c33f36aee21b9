#include "import/TruncatedPicture.h"

#include <algorithm>
#include <cstdint>

namespace TruncatedPicture {

namespace {

std::uint32_t le16(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

const char* const RowsMissing = "the pixel data end before the last row";

} // namespace

std::string pcx(const unsigned char* data, std::size_t size)
{
    constexpr std::size_t HeaderBytes = 128, PaletteBytes = 769; // a marker byte and 256 colours
    if (size < HeaderBytes || data[0] != 0x0A)
        return {};
    const std::uint32_t left = le16(data + 4), top = le16(data + 6), right = le16(data + 8),
                        bottom = le16(data + 10);
    if (left >= right || top >= bottom)
        return {}; // the reader refuses it
    const unsigned bits = data[3], planes = data[65];
    const bool known =
        (planes == 1 && (bits == 1 || bits == 8)) || (planes == 4 && bits == 1) || (planes == 3 && bits == 8);
    if (!known)
        return {};
    const std::uint64_t height = bottom - top + 1;
    const std::uint64_t lineBytes = std::uint64_t(le16(data + 66)) * planes;

    std::uint64_t at = HeaderBytes;
    if (data[2] != 1) {
        at += height * lineBytes; // stored as is
        if (at > size)
            return RowsMissing;
    } else {
        // Every line is decoded on its own: a run that goes past the line's end is cut
        // there, and the next line starts with a new packet. A count byte of 0xC0 repeats
        // its value 256 times.
        for (std::uint64_t y = 0; y < height; ++y)
            for (std::uint64_t made = 0; made < lineBytes;) {
                if (at >= size)
                    return RowsMissing;
                const unsigned char code = data[at++];
                std::uint64_t run = 1;
                if ((code & 0xC0) == 0xC0) {
                    if (at >= size)
                        return RowsMissing;
                    ++at;
                    run = (code & 0x3F) ? (code & 0x3F) : 256;
                }
                made += std::min(run, lineBytes - made);
            }
    }
    // 256 colours come after the pixels, behind a 0x0C, as the last 769 bytes; a grey
    // picture (palette information 2) may do without them.
    const bool greyWithout = le16(data + 68) == 2;
    if (bits == 8 && planes == 1 && !greyWithout &&
        (size - at < PaletteBytes || data[size - PaletteBytes] != 0x0C))
        return "the 256-colour palette at the end is missing";
    return {};
}

std::string tga(const unsigned char* data, std::size_t size)
{
    constexpr std::size_t HeaderBytes = 18;
    if (size < HeaderBytes)
        return {};
    const unsigned idBytes = data[0], mapType = data[1], type = data[2];
    const std::uint64_t mapEntries = le16(data + 5), mapBits = data[7];
    const std::uint64_t width = le16(data + 12), height = le16(data + 14);
    const unsigned depth = data[16];
    const bool stored = type == 1 || type == 2 || type == 3,
               runLength = type == 9 || type == 10 || type == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    if ((!stored && !runLength) || !knownDepth || width == 0 || height == 0)
        return {};
    const std::uint64_t pixelBytes = (depth + 7) / 8, pixels = width * height;

    std::uint64_t at = HeaderBytes + idBytes + (mapType == 1 ? mapEntries * ((mapBits + 7) / 8) : 0);
    if (stored)
        return at + pixels * pixelBytes > size ? RowsMissing : std::string();
    // Packets: a count byte (the high bit marks a repeat), then one pixel for a repeat
    // or that many for a literal; they may run on from one row into the next.
    for (std::uint64_t made = 0; made < pixels;) {
        if (at >= size)
            return RowsMissing;
        const unsigned char code = data[at++];
        const std::uint64_t count = (code & 0x7F) + 1u;
        at += (code & 0x80) ? pixelBytes : count * pixelBytes;
        if (at > size)
            return RowsMissing;
        made += count;
    }
    return {};
}

} // namespace TruncatedPicture
