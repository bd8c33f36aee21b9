#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The one place that decodes through FreeImage. Nothing here depends on Qt, so the import
// helper process links it on its own; the editor never does (it loads FreeImage for GIF
// output and the import's format list only, see files/FreeImageRuntime).
namespace FreeImageLibrary {

// The import helper's start and stop of the library.
void initialise();
void deinitialise();

enum class Failure : std::uint8_t {
    None = 0,
    OutOfMemory = 1, // std::bad_alloc escaped the library
    Exception = 2,   // any other exception escaped the library
    Damaged = 3,     // the pixel data end early or are corrupt (failureText says how)
};

// FreeImage's codes of the formats the helper checks itself.
inline constexpr int BmpFormat = 0;
inline constexpr int JpegFormat = 2;
inline constexpr int PngFormat = 13;

// The library's format code for a file's bytes, -1 when it does not identify them.
int identify(const unsigned char* data, std::size_t size);

// How Qt's readers fared with a file the library gave no pixels for (the import helper
// tries them; this library never does).
enum class Fallback : std::uint8_t {
    NotTried = 0,
    Decoded = 1,     // the pixels are Qt's
    NotAPicture = 2, // no reader takes the file
    TooLarge = 3,    // it claims more than ImportLimits
    Damaged = 4,     // a reader takes it but cannot decode it
    Unreadable = 5,  // the file could not be read
};

// What one load produced. Pixels are top row first, one 0xAARRGGBB word per pixel, alpha
// not premultiplied (the layout of QImage::Format_ARGB32).
struct DecodedPicture {
    int format = -1;         // FreeImage's format code; -1 when the file is not identified
    bool loaded = false;     // FreeImage_Load returned a bitmap
    bool tooLarge = false;   // the header (or the bitmap) exceeds ImportLimits
    std::uint32_t width = 0; // as the bitmap reports it, or as the header claims when tooLarge
    std::uint32_t height = 0;
    // A JPEG decoded reduced (DCT scaling): width x height is the reduced picture, the
    // file's is fullWidth x fullHeight, scale times as large (the reduced one rounded up).
    std::uint32_t scale = 1; // 1, 2, 4 or 8
    std::uint32_t fullWidth = 0;
    std::uint32_t fullHeight = 0;
    bool hasBits = false;   // FreeImage_GetBits was not null
    bool hasInfo = false;   // FreeImage_GetInfo was not null
    bool converted = false; // pixels holds width * height words
    bool opaque = false;    // every pixel's alpha is 0xFF, when the decoder knows it
    int convertError = 0;   // errno-style code when the conversion to 32 bits failed
    Failure failure = Failure::None;
    std::string failureText;
    Fallback fallback = Fallback::NotTried;
    std::string fallbackText; // the reader's own words when it failed
    std::vector<std::uint32_t> pixels;
    // Texts the file carries (key and value), as far as the reader gives them.
    std::vector<std::pair<std::string, std::string>> texts;
};

// Called once per message the library emits during a load, with its format code.
using MessageSink = std::function<void(int format, const char* message)>;

// Where a decoder writes a picture's width * height words, once it knows the size:
// memory the caller provides, or null when it has none (the decode then fails).
using PixelStore = std::function<std::uint32_t*(std::uint32_t width, std::uint32_t height)>;

// One load: initialise, identify, check the header against the bounds where the format
// can read the header alone, decode, convert to 32-bit rows, deinitialise - the library
// is deinitialised on every path, exceptions included. PNG samples come as stored (no
// gamma correction) and float maps top row first. A load during which the library said
// that data were missing is Failure::Damaged, decoded or not.
// The bytes are read in place, never copied or changed.
DecodedPicture decode(const unsigned char* data, std::size_t size, const MessageSink& sink);

} // namespace FreeImageLibrary
