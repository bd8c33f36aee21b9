#include "files/FreeImageGifWriter.h"

#include "files/FreeImageRuntime.h"

#include <QCoreApplication>
#include <QHash>
#include <memory>

namespace {

struct BitmapDeleter {
    const FreeImageRuntime* fi;
    void operator()(FIBITMAP* dib) const { fi->Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

struct MemoryDeleter {
    const FreeImageRuntime* fi;
    void operator()(FIMEMORY* m) const { fi->CloseMemory(m); }
};

// FreeImage's rows run bottom-up.
BYTE* rowOf(const FreeImageRuntime& fi, FIBITMAP* dib, int height, int y)
{
    return fi.GetScanLine(dib, height - 1 - y);
}

Bitmap exactPalette(const FreeImageRuntime& fi, const QImage& rgb)
{
    QHash<QRgb, int> index;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            if (!index.contains(c)) {
                if (index.size() == 256)
                    return Bitmap(nullptr, {&fi});
                const int next = int(index.size());
                index.insert(c, next);
            }
        }
    }
    Bitmap dib(fi.Allocate(rgb.width(), rgb.height(), 8, 0, 0, 0), {&fi});
    if (!dib)
        return dib;
    RGBQUAD* palette = fi.GetPalette(dib.get());
    for (auto it = index.cbegin(); it != index.cend(); ++it) {
        palette[it.value()].rgbRed = BYTE(qRed(it.key()));
        palette[it.value()].rgbGreen = BYTE(qGreen(it.key()));
        palette[it.value()].rgbBlue = BYTE(qBlue(it.key()));
        palette[it.value()].rgbReserved = 0;
    }
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        BYTE* out = rowOf(fi, dib.get(), rgb.height(), y);
        for (int x = 0; x < rgb.width(); ++x)
            out[x] = BYTE(index.value(line[x] | 0xFF000000u));
    }
    return dib;
}

Bitmap quantized(const FreeImageRuntime& fi, const QImage& rgb)
{
    Bitmap full(
        fi.Allocate(rgb.width(), rgb.height(), 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK),
        {&fi});
    if (!full)
        return full;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        BYTE* out = rowOf(fi, full.get(), rgb.height(), y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x + FI_RGBA_RED] = BYTE(qRed(line[x]));
            out[3 * x + FI_RGBA_GREEN] = BYTE(qGreen(line[x]));
            out[3 * x + FI_RGBA_BLUE] = BYTE(qBlue(line[x]));
        }
    }
    return Bitmap(fi.ColorQuantize(full.get(), FIQ_WUQUANT), {&fi});
}

} // namespace

bool FreeImageGifWriter::encode(const QImage& image, QByteArray& out, QString& error)
{
    if (image.isNull()) {
        error = QCoreApplication::translate("cGdiPlus", "there is no picture to encode");
        return false;
    }
    const FreeImageRuntime* fi = FreeImageRuntime::get(error);
    if (!fi)
        return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Bitmap dib = exactPalette(*fi, rgb);
    if (!dib)
        dib = quantized(*fi, rgb);
    if (!dib) {
        error = QCoreApplication::translate("cGdiPlus", "the picture could not be reduced to 256 colours");
        return false;
    }
    std::unique_ptr<FIMEMORY, MemoryDeleter> memory(fi->OpenMemory(nullptr, 0), {fi});
    if (!memory || !fi->FIFSupportsWriting(FIF_GIF) ||
        !fi->SaveToMemory(FIF_GIF, dib.get(), memory.get(), GIF_DEFAULT)) {
        error = QCoreApplication::translate("cGdiPlus", "the GIF encoder failed");
        return false;
    }
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!fi->AcquireMemory(memory.get(), &data, &size)) {
        error = QCoreApplication::translate("cGdiPlus", "the GIF encoder failed");
        return false;
    }
    out = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    return true;
}
