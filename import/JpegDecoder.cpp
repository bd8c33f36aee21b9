#include "import/JpegDecoder.h"

#include "import/ImportLimits.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <new>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace JpegDecoder {

namespace {

// FreeImage's code for JPEG, so a picture decoded here reports the format it did.
constexpr int JpegFormat = 2;

// A progressive file can hold hundreds of scans that each cost a pass over the whole
// picture. libjpeg-turbo offers a scan limit against exactly this (TJPARAM_SCANLIMIT in
// its TurboJPEG API, -maxscans in djpeg) and sets it to 100 in its own decompression
// fuzzer (fuzz/decompress.cc); encoders write about 10 (jpeg_simple_progression) and
// rarely more than a few dozen.
constexpr int MaxScans = 100;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    const FreeImageLibrary::MessageSink* sink;
    bool strict;
};

const char* tooManyScans()
{
    static char text[64];
    std::snprintf(text, sizeof text, "more than %d scans, which no encoder writes", MaxScans);
    return text;
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
    // Passed on as the library's message, the first of them as FreeImage did.
    if (cinfo->err->num_warnings++ == 0 && err->sink && *err->sink) {
        try {
            (*err->sink)(JpegFormat, err->message);
        } catch (...) {
        }
    }
    err->message[0] = '\0';
}

void limitScans(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "%s", tooManyScans());
        std::longjmp(err->jump, 1);
    }
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
Stage decompress(const unsigned char* data, std::size_t size, FreeImageLibrary::DecodedPicture& out,
                 const FreeImageLibrary::PixelStore& store, ErrorManager& err)
{
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = failExit;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
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
    if (!ImportLimits::withinBounds(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return Stage::TooLarge;
    }
    // Refused before the first pass; the progress monitor below stops a decode that
    // still meets more scans than were counted here.
    if (jpeg_has_multiple_scans(&cinfo) && countScans(data, size, MaxScans) > MaxScans) {
        std::snprintf(err.message, sizeof err.message, "%s", tooManyScans());
        jpeg_destroy_decompress(&cinfo);
        return Stage::Failed;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // Four bytes a pixel either way: B, G, R, A in memory is the word 0xAARRGGBB here.
    constexpr J_COLOR_SPACE argb = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    cinfo.out_color_space = cmyk ? JCS_CMYK : argb;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);
    std::uint32_t* pixels = nullptr;
    if (store) {
        pixels = store(cinfo.output_width, cinfo.output_height);
    } else {
        try {
            out.pixels.resize(std::size_t(cinfo.output_width) * cinfo.output_height);
            pixels = out.pixels.data();
        } catch (const std::bad_alloc&) {
        }
    }
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

} // namespace

FreeImageLibrary::DecodedPicture decode(const unsigned char* data, std::size_t size,
                                        const FreeImageLibrary::MessageSink& sink,
                                        const FreeImageLibrary::PixelStore& store, bool strict)
{
    FreeImageLibrary::DecodedPicture out;
    out.format = JpegFormat;
    ErrorManager err;
    err.sink = &sink;
    err.strict = strict;
    switch (decompress(data, size, out, store, err)) {
    case Stage::Decoded:
        out.loaded = out.hasBits = out.hasInfo = out.converted = out.opaque = true;
        return out;
    case Stage::TooLarge:
        out.tooLarge = true;
        return out;
    case Stage::Failed:
        break;
    }
    out.pixels.clear();
    out.pixels.shrink_to_fit();
    out.failure = FreeImageLibrary::Failure::Damaged;
    out.failureText = err.message[0] ? err.message : "the picture data ends early";
    return out;
}

} // namespace JpegDecoder
