#include "import/FreeImageLibrary.h"

#include "import/ImportLimits.h"
#include "import/TruncatedPicture.h"

#include <FreeImage.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace FreeImageLibrary {

static_assert(BmpFormat == FIF_BMP && JpegFormat == FIF_JPEG && PngFormat == FIF_PNG);

void initialise()
{
    FreeImage_Initialise(FALSE);
}

void deinitialise()
{
    FreeImage_DeInitialise();
}

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// The library's callback has no user argument, so the sink of the running load is kept
// here; loads never overlap (one per helper process, one thread).
const MessageSink* currentSink = nullptr;

void DLL_CALLCONV FreeImageErrorHandler(FREE_IMAGE_FORMAT fif, const char* message)
{
    if (currentSink && *currentSink)
        (*currentSink)(int(fif), message ? message : "");
}

// The library's words for data that end early: the TIFF reader goes on past strips it
// could not read and says so once at the end; the GIF reader gives up at the cut, and
// Qt's reader would then show the rows before it.
bool saysDataMissing(const char* message)
{
    return message &&
           (std::strstr(message, "Image may be incomplete") || std::strstr(message, "EOF reading"));
}

void InitFreeImage()
{
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(FreeImageErrorHandler);
}

// Float RGB(A) clamped to 0..1 and scaled to 8 bits, rounded; FreeImage has no direct
// conversion of these types to a standard bitmap.
Bitmap floatTo32Bits(FIBITMAP* source, bool alpha)
{
    const unsigned w = FreeImage_GetWidth(source), h = FreeImage_GetHeight(source);
    Bitmap out(FreeImage_Allocate(int(w), int(h), 32));
    if (!out)
        return out;
    auto level = [](float v) { return BYTE(v >= 1.0f ? 255 : v > 0.0f ? int(v * 255.0f + 0.5f) : 0); };
    for (unsigned y = 0; y < h; ++y) {
        const BYTE* src = FreeImage_GetScanLine(source, int(y));
        BYTE* dst = FreeImage_GetScanLine(out.get(), int(y));
        for (unsigned x = 0; x < w; ++x) {
            const float* p = reinterpret_cast<const float*>(src) + x * (alpha ? 4 : 3);
            dst[4 * x + FI_RGBA_RED] = level(p[0]);
            dst[4 * x + FI_RGBA_GREEN] = level(p[1]);
            dst[4 * x + FI_RGBA_BLUE] = level(p[2]);
            dst[4 * x + FI_RGBA_ALPHA] = alpha ? level(p[3]) : 0xFF;
        }
    }
    return out;
}

// Every bitmap as 32-bit BGRA. Standard bitmaps of any depth and palette, and 16-bit-
// per-channel RGB(A), convert directly; float RGB(A) is clamped; 16-bit grey keeps its
// high byte; the other single-channel types (integers, floats, complex) are scaled to
// 8-bit grey from their own range.
Bitmap to32Bits(FIBITMAP* source)
{
    switch (FreeImage_GetImageType(source)) {
    case FIT_BITMAP:
    case FIT_RGB16:
    case FIT_RGBA16:
        return Bitmap(FreeImage_ConvertTo32Bits(source));
    case FIT_RGBF:
        return floatTo32Bits(source, false);
    case FIT_RGBAF:
        return floatTo32Bits(source, true);
    case FIT_UINT16: {
        // The high byte of each sample, as for 16-bit RGB.
        Bitmap grey(FreeImage_ConvertTo8Bits(source));
        return grey ? Bitmap(FreeImage_ConvertTo32Bits(grey.get())) : Bitmap();
    }
    default: {
        Bitmap grey(FreeImage_ConvertToStandardType(source, TRUE));
        return grey ? Bitmap(FreeImage_ConvertTo32Bits(grey.get())) : Bitmap();
    }
    }
}

void copyRows(FIBITMAP* bgra, DecodedPicture& out)
{
    const std::uint32_t w = out.width, h = out.height;
    out.pixels.resize(std::size_t(w) * h);
    // FreeImage keeps its rows bottom-up.
    for (std::uint32_t y = 0; y < h; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bgra, int(h - 1 - y));
        std::uint32_t* dst = out.pixels.data() + std::size_t(y) * w;
        for (std::uint32_t x = 0; x < w; ++x) {
            const BYTE* p = row + 4 * x;
            dst[x] = (std::uint32_t(p[FI_RGBA_ALPHA]) << 24) | (std::uint32_t(p[FI_RGBA_RED]) << 16) |
                     (std::uint32_t(p[FI_RGBA_GREEN]) << 8) | std::uint32_t(p[FI_RGBA_BLUE]);
        }
    }
    out.converted = true;
}

// A read-only stream over the caller's bytes, at their start.
class MemoryStream {
public:
    MemoryStream(const unsigned char* data, std::size_t size)
        : m_stream(FreeImage_OpenMemory(const_cast<BYTE*>(data), DWORD(size)))
    {
    }
    ~MemoryStream() { FreeImage_CloseMemory(m_stream); }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    FIMEMORY* get() const { return m_stream; }

private:
    FIMEMORY* m_stream;
};

FIBITMAP* load(FREE_IMAGE_FORMAT fif, const unsigned char* data, std::size_t size, int flags)
{
    const MemoryStream stream(data, size);
    return stream.get() ? FreeImage_LoadFromMemory(fif, stream.get(), flags) : nullptr;
}

FREE_IMAGE_FORMAT formatOf(const unsigned char* data, std::size_t size)
{
    const MemoryStream stream(data, size);
    return stream.get() ? FreeImage_GetFileTypeFromMemory(stream.get(), 0) : FIF_UNKNOWN;
}

void decodeIdentified(const unsigned char* data, std::size_t size, FREE_IMAGE_FORMAT fif, DecodedPicture& out)
{
    // A header claiming a huge picture is refused before any pixel is allocated.
    if (FreeImage_FIFSupportsNoPixels(fif)) {
        Bitmap header(load(fif, data, size, FIF_LOAD_NOPIXELS));
        if (!header)
            return;
        const unsigned w = FreeImage_GetWidth(header.get()), h = FreeImage_GetHeight(header.get());
        if (!ImportLimits::withinBounds(w, h)) {
            out.tooLarge = true;
            out.width = w;
            out.height = h;
            return;
        }
    }

    // These readers make up the rows past the end of the data: a cut file is refused.
    const std::string cut = fif == FIF_PCX     ? TruncatedPicture::pcx(data, size)
                            : fif == FIF_TARGA ? TruncatedPicture::tga(data, size)
                                               : std::string();
    if (!cut.empty()) {
        out.failure = Failure::Damaged;
        out.failureText = cut;
        return;
    }

    // The library's PNG reader corrects by the file's gamma unless told not to; the
    // samples as stored are what Qt's readers give too.
    Bitmap bitmap(load(fif, data, size, fif == FIF_PNG ? PNG_IGNOREGAMMA : 0));
    if (!bitmap)
        return;
    // A float map stores its rows bottom to top; the library hands them over in file
    // order, which is upside down for its bitmaps.
    if (fif == FIF_PFM)
        FreeImage_FlipVertical(bitmap.get());
    out.loaded = true;
    out.width = FreeImage_GetWidth(bitmap.get());
    out.height = FreeImage_GetHeight(bitmap.get());
    out.hasBits = FreeImage_GetBits(bitmap.get()) != nullptr;
    out.hasInfo = FreeImage_GetInfo(bitmap.get()) != nullptr;
    if (!ImportLimits::withinBounds(out.width, out.height)) {
        out.tooLarge = true;
        return;
    }
    if (out.width < 1 || out.height < 1 || !out.hasBits || !out.hasInfo)
        return;

    errno = 0;
    Bitmap bgra = to32Bits(bitmap.get());
    bitmap.reset(); // only one full copy of the picture at a time
    if (!bgra || FreeImage_GetWidth(bgra.get()) != out.width ||
        FreeImage_GetHeight(bgra.get()) != out.height) {
        out.convertError = errno ? errno : ENOMEM;
        return;
    }
    copyRows(bgra.get(), out);
}

} // namespace

int identify(const unsigned char* data, std::size_t size)
{
    FreeImage_Initialise(FALSE);
    const int format = int(formatOf(data, size));
    FreeImage_DeInitialise();
    return format;
}

DecodedPicture decode(const unsigned char* data, std::size_t size, const MessageSink& sink)
{
    DecodedPicture out;
    std::string missing;
    const MessageSink watch = [&](int format, const char* message) {
        if (missing.empty() && saysDataMissing(message))
            missing = message;
        if (sink)
            sink(format, message);
    };
    currentSink = &watch;
    InitFreeImage();
    try {
        const FREE_IMAGE_FORMAT fif = formatOf(data, size);
        out.format = int(fif);
        if (fif != FIF_UNKNOWN)
            decodeIdentified(data, size, fif, out);
    } catch (const std::bad_alloc& e) {
        out.failure = Failure::OutOfMemory;
        out.failureText = e.what();
    } catch (const std::exception& e) {
        out.failure = Failure::Exception;
        out.failureText = e.what();
    } catch (...) {
        out.failure = Failure::Exception;
        out.failureText = "unknown exception";
    }
    if (out.failure == Failure::None && !out.tooLarge && !missing.empty()) {
        out.failure = Failure::Damaged;
        out.failureText = missing;
    }
    if (out.failure != Failure::None) {
        out.loaded = out.converted = false;
        out.pixels.clear();
    }
    FreeImage_DeInitialise();
    currentSink = nullptr;
    return out;
}

} // namespace FreeImageLibrary
