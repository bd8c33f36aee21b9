#include "files/FreeImageGifWriter.h"

#include <FreeImage.h>
#include <QHash>
#include <memory>

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

struct MemoryDeleter {
    void operator()(FIMEMORY* m) const { FreeImage_CloseMemory(m); }
};

// FreeImage's rows run bottom-up.
BYTE* rowOf(FIBITMAP* dib, int height, int y)
{
    return FreeImage_GetScanLine(dib, height - 1 - y);
}

Bitmap exactPalette(const QImage& rgb)
{
    QHash<QRgb, int> index;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            if (!index.contains(c)) {
                if (index.size() == 256)
                    return nullptr;
                const int next = int(index.size());
                index.insert(c, next);
            }
        }
    }
    Bitmap dib(FreeImage_Allocate(rgb.width(), rgb.height(), 8));
    if (!dib)
        return nullptr;
    RGBQUAD* palette = FreeImage_GetPalette(dib.get());
    for (auto it = index.cbegin(); it != index.cend(); ++it) {
        palette[it.value()].rgbRed = BYTE(qRed(it.key()));
        palette[it.value()].rgbGreen = BYTE(qGreen(it.key()));
        palette[it.value()].rgbBlue = BYTE(qBlue(it.key()));
        palette[it.value()].rgbReserved = 0;
    }
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        BYTE* out = rowOf(dib.get(), rgb.height(), y);
        for (int x = 0; x < rgb.width(); ++x)
            out[x] = BYTE(index.value(line[x] | 0xFF000000u));
    }
    return dib;
}

Bitmap quantized(const QImage& rgb)
{
    Bitmap full(FreeImage_Allocate(rgb.width(), rgb.height(), 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                   FI_RGBA_BLUE_MASK));
    if (!full)
        return nullptr;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        BYTE* out = rowOf(full.get(), rgb.height(), y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x + FI_RGBA_RED] = BYTE(qRed(line[x]));
            out[3 * x + FI_RGBA_GREEN] = BYTE(qGreen(line[x]));
            out[3 * x + FI_RGBA_BLUE] = BYTE(qBlue(line[x]));
        }
    }
    return Bitmap(FreeImage_ColorQuantize(full.get(), FIQ_WUQUANT));
}

} // namespace

bool FreeImageGifWriter::encode(const QImage& image, QByteArray& out, QString& error)
{
    if (image.isNull()) {
        error = QStringLiteral("there is no picture to encode");
        return false;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Bitmap dib = exactPalette(rgb);
    if (!dib)
        dib = quantized(rgb);
    if (!dib) {
        error = QStringLiteral("the picture could not be reduced to 256 colours");
        return false;
    }
    std::unique_ptr<FIMEMORY, MemoryDeleter> memory(FreeImage_OpenMemory());
    if (!memory || !FreeImage_SaveToMemory(FIF_GIF, dib.get(), memory.get(), GIF_DEFAULT)) {
        error = QStringLiteral("the GIF encoder failed");
        return false;
    }
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!FreeImage_AcquireMemory(memory.get(), &data, &size)) {
        error = QStringLiteral("the GIF encoder failed");
        return false;
    }
    out = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    return true;
}

void FreeImageGifWriter::startUp()
{
    FreeImage_Initialise(FALSE);
}

void FreeImageGifWriter::shutDown()
{
    FreeImage_DeInitialise();
}

bool FreeImageGifWriter::available()
{
    return FreeImage_FIFSupportsWriting(FIF_GIF) != FALSE;
}
