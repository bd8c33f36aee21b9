#include "files/Jpeg.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace Jpeg {

namespace {

// Four bytes a pixel: B, G, R, A in memory is the word 0xAARRGGBB here.
constexpr J_COLOR_SPACE NativeArgb = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr J_COLOR_SPACE NativeXrgb = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// The one error manager: an error jumps back to the caller's setjmp with libjpeg's
// words; a warning does too unless it says nothing about the pixels (and the decode is
// not strict), in which case the first is passed on.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    const WarningSink* warning = nullptr;
    bool strict = true;
};

void failExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings that say nothing about the pixels; every other libjpeg warning means data
// were missing or corrupt and that libjpeg made up what it could not read.
bool harmless(int code)
{
    return code == JWRN_ADOBE_XFORM || code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC;
}

void onMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace output
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    if (err->strict || !harmless(cinfo->err->msg_code))
        std::longjmp(err->jump, 1);
    if (cinfo->err->num_warnings++ == 0 && err->warning && *err->warning) {
        try {
            (*err->warning)(err->message);
        } catch (...) {
        }
    }
    err->message[0] = '\0';
}

void setUp(ErrorManager& err, bool strict, const WarningSink* warning)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = failExit;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
    err.strict = strict;
    err.warning = warning;
}

void tooManyScans(ErrorManager& err)
{
    std::snprintf(err.message, sizeof err.message, "more than %d scans, which no encoder writes", MaxScans);
}

void limitScans(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        tooManyScans(*err);
        std::longjmp(err->jump, 1);
    }
}

// The scans the file holds, counted up to one past stopAfter from its markers alone: the
// segments are skipped by their lengths, the coded data after each scan header byte by
// byte up to the next marker. Nothing is decoded.
int countScans(const unsigned char* data, std::size_t size, int stopAfter)
{
    int scans = 0;
    std::size_t at = 2; // past the start of image
    while (at + 1 < size) {
        if (data[at] != 0xFF) {
            ++at; // coded data
            continue;
        }
        const unsigned char marker = data[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2; // a stuffed 0xFF, or a marker without a segment
            continue;
        }
        if (marker == 0xD9 || at + 3 >= size)
            break;
        if (marker == 0xDA && ++scans > stopAfter)
            break;
        at += 2 + (std::size_t(data[at + 2]) << 8 | data[at + 3]);
    }
    return scans;
}

std::uint32_t rounded(int a, int b)
{
    return std::uint32_t((a * b + 127) / 255);
}

// libjpeg hands CMYK over as stored. Adobe's files store it inverted (0 is full ink),
// so each channel times black is the colour; plain CMYK is inverted first.
void cmykToRgb(std::uint32_t* row, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x) {
        const auto* p = reinterpret_cast<const unsigned char*>(row + x);
        int c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        row[x] = 0xFF000000u | rounded(c, k) << 16 | rounded(m, k) << 8 | rounded(y, k);
    }
}

enum class Stage { Decoded, TooLarge, Failed };

// Everything libjpeg may jump over lives in the caller; this frame holds only plain
// data, so the longjmp skips no destructor.
Stage decompress(const unsigned char* data, std::size_t size, const DecodeOptions& options,
                 const PixelStore& store, Decoded& out, ErrorManager& err)
{
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Stage::Failed;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = limitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    out.width = cinfo.image_width;
    out.height = cinfo.image_height;
    if (cinfo.image_width > options.maxSide || cinfo.image_height > options.maxSide ||
        std::uint64_t(cinfo.image_width) * cinfo.image_height > options.maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return Stage::TooLarge;
    }
    // Refused before the first pass; the progress monitor stops a decode that still meets
    // more scans than were counted here.
    if (jpeg_has_multiple_scans(&cinfo) && countScans(data, size, MaxScans) > MaxScans) {
        tooManyScans(err);
        jpeg_destroy_decompress(&cinfo);
        return Stage::Failed;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : NativeArgb;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    out.scale = scaleFor(cinfo.image_width, cinfo.image_height, options.need);
    cinfo.scale_num = unsigned(8 / out.scale);
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    out.outputWidth = cinfo.output_width;
    out.outputHeight = cinfo.output_height;
    std::uint32_t* pixels = store ? store(cinfo.output_width, cinfo.output_height) : nullptr;
    if (!pixels) {
        std::snprintf(err.message, sizeof err.message, "not enough memory for the picture");
        jpeg_destroy_decompress(&cinfo);
        return Stage::Failed;
    }
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint32_t* row = pixels + std::size_t(cinfo.output_scanline) * cinfo.output_width;
        auto* samples = reinterpret_cast<JSAMPROW>(row);
        if (jpeg_read_scanlines(&cinfo, &samples, 1) != 1) {
            // A suspension, which a memory source never causes.
            jpeg_destroy_decompress(&cinfo);
            return Stage::Failed;
        }
        if (cmyk)
            cmykToRgb(row, cinfo.output_width, inverted);
    }
    // The end of the stream is read too: a file cut after its last row still warns here.
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return Stage::Decoded;
}

bool compress(const std::uint32_t* rows, std::uint32_t width, std::uint32_t height, std::size_t rowWords,
              int quality, bool fullChroma, unsigned char** buffer, unsigned long* size, ErrorManager& err)
{
    jpeg_compress_struct cinfo;
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.in_color_space = NativeXrgb;
    cinfo.input_components = 4;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = 96;
    cinfo.Y_density = 96;
    if (fullChroma) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row =
            reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(rows + cinfo.next_scanline * rowWords));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

int scaleFor(std::uint32_t width, std::uint32_t height, const Need& need)
{
    if (need.width == 0 || need.height == 0 || width == 0 || height == 0)
        return 1;
    // A scale of n/8 gives at least width * n / 8 pixels across (libjpeg rounds up), so it
    // serves a need of factor f once n / 8 >= f: across and down for a cover, either for a fit.
    for (int n = 1; n < 8; n *= 2) {
        const bool across = std::uint64_t(n) * width >= 8ull * need.width;
        const bool down = std::uint64_t(n) * height >= 8ull * need.height;
        if (need.cover ? across && down : across || down)
            return 8 / n;
    }
    return 1;
}

bool looksLikeJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

Decoded decode(const unsigned char* data, std::size_t size, const DecodeOptions& options,
               const PixelStore& store, const WarningSink& warning)
{
    Decoded out;
    ErrorManager err;
    setUp(err, options.strict, &warning);
    switch (decompress(data, size, options, store, out, err)) {
    case Stage::Decoded:
        out.outcome = Outcome::Decoded;
        return out;
    case Stage::TooLarge:
        out.outcome = Outcome::TooLarge;
        return out;
    case Stage::Failed:
        break;
    }
    out.outcome = Outcome::Damaged;
    out.failure = err.message[0] ? err.message : "the picture data ends early";
    return out;
}

bool encode(const std::uint32_t* rows, std::uint32_t width, std::uint32_t height, std::size_t rowWords,
            int quality, bool fullChroma, std::vector<unsigned char>& out, std::string& error)
{
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    ErrorManager err;
    setUp(err, true, nullptr);
    const bool ok = compress(rows, width, height, rowWords,
                             quality < 0     ? 0
                             : quality > 100 ? 100
                                             : quality,
                             fullChroma, &buffer, &size, err);
    if (ok)
        out.assign(buffer, buffer + size);
    else
        error = err.message;
    std::free(buffer);
    return ok;
}

} // namespace Jpeg
