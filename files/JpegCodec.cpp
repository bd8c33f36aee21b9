#include "files/JpegCodec.h"

#include <QCoreApplication>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// Progressive files can hold hundreds of scans that each cost a full pass. Only the
// encoder's own output is decoded here, which has one; the import helper's decoder has
// the limit and the reasons for it.
constexpr int MaxScans = 100;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool warned;
};

void failExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are libjpeg's way of saying "I made up the rest": premature end of data,
// corrupt segments. A portrait decoded like that is not the file's picture.
void stopOnWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    err->warned = true;
    std::longjmp(err->jump, 1);
}

void limitScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", MaxScans);
        std::longjmp(err->jump, 2);
    }
}

void setUpErrors(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = failExit;
    err.pub.emit_message = stopOnWarning;
    err.message[0] = '\0';
    err.warned = false;
}

// Everything libjpeg may jump over lives in the caller; this frame holds only
// plain data, so the longjmp skips no destructor.
bool compress(const QImage& rgb32, int quality, bool fullChroma, unsigned char** buffer, unsigned long* size,
              ErrorManager& err)
{
    jpeg_compress_struct cinfo;
    cinfo.err = &err.pub;
    setUpErrors(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(rgb32.width());
    cinfo.image_height = JDIMENSION(rgb32.height());
    // QImage's RGB32 is 0xffRRGGBB in native order: B, G, R, X in memory here.
    cinfo.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
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
        auto* row = const_cast<JSAMPROW>(rgb32.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

enum class Stage { TooLarge, Decoded, Failed };

Stage decompress(const QByteArray& data, int maxSide, qint64 maxPixels, QImage* out, QSize* claimed,
                 ErrorManager& err)
{
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    cinfo.err = &err.pub;
    setUpErrors(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Stage::Failed;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = limitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    *claimed = QSize(int(qMin<JDIMENSION>(cinfo.image_width, 0x7fffffff)),
                     int(qMin<JDIMENSION>(cinfo.image_height, 0x7fffffff)));
    if (cinfo.image_width > JDIMENSION(maxSide) || cinfo.image_height > JDIMENSION(maxSide) ||
        qint64(cinfo.image_width) * qint64(cinfo.image_height) > maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return Stage::TooLarge;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB);
    jpeg_start_decompress(&cinfo);
    *out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (out->isNull()) {
        std::snprintf(err.message, sizeof err.message, "not enough memory for the picture");
        jpeg_destroy_decompress(&cinfo);
        return Stage::Failed;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk) {
            // Photoshop writes inverted CMYK; each channel times black is the colour.
            auto* px = reinterpret_cast<QRgb*>(row);
            const uchar* src = row;
            for (int x = int(cinfo.output_width) - 1; x >= 0; --x) {
                const int c = src[4 * x], m = src[4 * x + 1], y = src[4 * x + 2], k = src[4 * x + 3];
                px[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return Stage::Decoded;
}

} // namespace

bool JpegCodec::looksLikeJpeg(const QByteArray& data)
{
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF;
}

bool JpegCodec::encode(const QImage& image, int quality, QByteArray& out, QString& error, Chroma chroma)
{
    if (image.isNull()) {
        error = QCoreApplication::translate("cGdiPlus", "there is no picture to encode");
        return false;
    }
    const QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    ErrorManager err;
    const bool full = chroma == Chroma::Full || (chroma == Chroma::ByQuality && quality >= FullChromaQuality);
    const bool ok = compress(rgb32, qBound(0, quality, 100), full, &buffer, &size, err);
    if (ok)
        out = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
    else
        error = QString::fromLocal8Bit(err.message);
    std::free(buffer);
    return ok;
}

JpegCodec::Decoded JpegCodec::decode(const QByteArray& data, int maxSide, qint64 maxPixels)
{
    Decoded result;
    if (!looksLikeJpeg(data)) {
        result.failure = Failure::NotJpeg;
        result.detail = QCoreApplication::translate("cGdiPlus", "not a JPEG file");
        return result;
    }
    ErrorManager err;
    QImage image;
    switch (decompress(data, maxSide, maxPixels, &image, &result.claimedSize, err)) {
    case Stage::Decoded:
        result.image = image;
        return result;
    case Stage::TooLarge:
        result.failure = Failure::OutOfBounds;
        result.detail =
            QStringLiteral("%1 x %2 pixels").arg(result.claimedSize.width()).arg(result.claimedSize.height());
        return result;
    case Stage::Failed:
        break;
    }
    result.failure = Failure::Damaged;
    result.detail = QString::fromLocal8Bit(err.message);
    return result;
}
