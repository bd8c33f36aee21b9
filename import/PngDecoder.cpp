#include "import/PngDecoder.h"

#include "import/ImportLimits.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <png.h>

namespace PngDecoder {

namespace {

// The bytes being decoded and the words of libpng's last error. Plain data only:
// libpng's errors jump over every frame between the call and the decode's setjmp.
struct Context {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;
    char message[256];
};

void onError(png_structp png, png_const_charp message)
{
    auto* context = static_cast<Context*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s", message ? message : "");
    png_longjmp(png, 1);
}

// Warnings leave the pixels whole (an unknown ancillary chunk, a bad checksum on one,
// which libpng then drops); they are not passed on.
void onWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep out, std::size_t count)
{
    auto* context = static_cast<Context*>(png_get_io_ptr(png));
    // FreeImage's words for a file that ends early, which its PNG reader used to give.
    if (count > context->size - context->at)
        png_error(png, "Read error: invalid or corrupted PNG file");
    std::memcpy(out, context->data + context->at, count);
    context->at += count;
}

// Every kind of PNG as 8-bit B, G, R, A in memory, which is the word 0xAARRGGBB here.
void toArgbWords(png_structp png, png_infop info)
{
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (depth == 16)
        png_set_strip_16(png); // the high byte
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    } else {
        png_set_swap_alpha(png);
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    }
}

enum class Stage { Decoded, TooLarge, Failed };

// Everything libpng may jump over lives in the caller; this frame holds only plain
// data, so the longjmp skips no destructor.
Stage decompress(Context& context, FreeImageLibrary::DecodedPicture& out,
                 const FreeImageLibrary::PixelStore& store)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        std::snprintf(context.message, sizeof context.message, "not enough memory for the decoder");
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Stage::Failed;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Stage::Failed;
    }
    png_set_read_fn(png, &context, readBytes);
    png_read_info(png, info);
    const std::uint32_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    out.width = width;
    out.height = height;
    if (!ImportLimits::withinBounds(width, height)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Stage::TooLarge;
    }
    out.opaque =
        !(png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS);
    toArgbWords(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        png_error(png, "unexpected row size");

    std::uint32_t* pixels = nullptr;
    if (store) {
        pixels = store(width, height);
    } else {
        try {
            out.pixels.resize(std::size_t(width) * height);
            pixels = out.pixels.data();
        } catch (const std::bad_alloc&) {
        }
    }
    if (!pixels)
        png_error(png, "not enough memory for the picture");
    // Each pass of an interlaced file adds its pixels to the rows the earlier ones left.
    for (int pass = 0; pass < passes; ++pass)
        for (std::uint32_t y = 0; y < height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(pixels + std::size_t(y) * width), nullptr);
    // The chunks after the pixels are read too: a file cut after its last row is refused.
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return Stage::Decoded;
}

} // namespace

FreeImageLibrary::DecodedPicture decode(const unsigned char* data, std::size_t size,
                                        const FreeImageLibrary::MessageSink& sink,
                                        const FreeImageLibrary::PixelStore& store)
{
    FreeImageLibrary::DecodedPicture out;
    out.format = FreeImageLibrary::PngFormat;
    Context context{data, size, 0, {}};
    switch (decompress(context, out, store)) {
    case Stage::Decoded:
        out.loaded = out.hasBits = out.hasInfo = out.converted = true;
        return out;
    case Stage::TooLarge:
        out.tooLarge = true;
        return out;
    case Stage::Failed:
        break;
    }
    out.pixels.clear();
    out.pixels.shrink_to_fit();
    out.width = out.height = 0;
    out.opaque = false;
    if (sink)
        sink(FreeImageLibrary::PngFormat, context.message);
    return out;
}

} // namespace PngDecoder
