#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Every JPEG the program reads or writes goes through libjpeg-turbo here, with one error
// manager (setjmp/longjmp around each libjpeg call sequence) and one limit on progressive
// scans. Decoding uses the accurate integer IDCT and fancy upsampling (the pixels of
// `djpeg` with its default options), converts CMYK to RGB (inverted when an Adobe marker
// says so) and leaves the EXIF orientation alone. Nothing here depends on Qt, so the
// import helpers link it without Qt.
namespace Jpeg {

// A progressive file can hold hundreds of scans that each cost a pass over the whole
// picture. libjpeg-turbo offers a scan limit against exactly this (TJPARAM_SCANLIMIT in
// its TurboJPEG API, -maxscans in djpeg) and sets it to 100 in its own decompression
// fuzzer; encoders write about 10 (jpeg_simple_progression) and rarely more than a few dozen.
inline constexpr int MaxScans = 100;

// What a decode needs at least. A zero size asks for the whole picture; otherwise the
// decoder picks the smallest of 1/8, 1/4 and 1/2 (or the whole) whose picture is still at
// least as large as the file's picture scaled to cover (or, with cover false, to fit
// inside) width x height, aspect kept.
struct Need {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool cover = true;
};

struct DecodeOptions {
    std::uint64_t maxSide = 0; // bounds on the header's size, checked before any pixel
    std::uint64_t maxPixels = 0;
    bool strict = false; // every libjpeg warning refuses the file
    Need need;
};

enum class Outcome : std::uint8_t { Decoded, TooLarge, Damaged };

struct Decoded {
    Outcome outcome = Outcome::Damaged;
    // The file's picture as its header gives it (also when TooLarge).
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // The pixels written: the file's picture divided by scale, rounded up.
    std::uint32_t outputWidth = 0;
    std::uint32_t outputHeight = 0;
    int scale = 1;       // 1, 2, 4 or 8
    std::string failure; // libjpeg's words when Damaged
};

// Where the decoder writes width * height words of 0xAARRGGBB (alpha 0xFF), rows
// adjacent, once it knows the size; null when there is no memory for them.
using PixelStore = std::function<std::uint32_t*(std::uint32_t width, std::uint32_t height)>;
// A warning that leaves the pixels whole (an unknown JFIF revision or Adobe transform);
// called for the first only.
using WarningSink = std::function<void(const char* message)>;

// Damaged: data that end early or are corrupt, which libjpeg would paper over; a stream
// libjpeg cannot decode; a progressive file with more than MaxScans scans; a store that
// gave no memory.
Decoded decode(const unsigned char* data, std::size_t size, const DecodeOptions& options,
               const PixelStore& store, const WarningSink& warning = {});

// The scale decode picks for a picture of width x height under need (1, 2, 4 or 8).
int scaleFor(std::uint32_t width, std::uint32_t height, const Need& need);

bool looksLikeJpeg(const unsigned char* data, std::size_t size);

// Rows of 0xffRRGGBB words, rowWords apart, at a quality from 0 to 100; with fullChroma
// the colour keeps full resolution (4:4:4), otherwise 4:2:0. False with libjpeg's words
// in error.
bool encode(const std::uint32_t* rows, std::uint32_t width, std::uint32_t height, std::size_t rowWords,
            int quality, bool fullChroma, std::vector<unsigned char>& out, std::string& error);

} // namespace Jpeg
