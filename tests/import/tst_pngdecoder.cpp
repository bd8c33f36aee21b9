#include "import/FreeImageLibrary.h"
#include "import/PngDecoder.h"

#include <QtTest>
#include <png.h>
#include <string>
#include <vector>

namespace {

// One PNG file written by libpng with exactly the header it is given: every colour type
// and depth, a tRNS chunk, a gAMA chunk, Adam7 interlacing.
struct PngKind {
    int colourType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    bool transparentColour = false; // a tRNS chunk
    double gamma = 0;               // a gAMA chunk when not 0
};

} // namespace

Q_DECLARE_METATYPE(PngKind)

namespace {

constexpr int Width = 19, Height = 11; // odd, and larger than one Adam7 block

int channels(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

// Samples whose low bits differ from their high ones, so cutting and rounding differ.
unsigned sample(int x, int y, int c, int depth)
{
    const unsigned v = unsigned(x * 3761 + y * 5323 + c * 9109 + x * y * 131) & 0xFFFFu;
    return depth == 16 ? v : v >> (16 - depth);
}

void appendBytes(png_structp png, png_bytep data, std::size_t size)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

QByteArray writePng(const PngKind& kind)
{
    std::string file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &file, appendBytes, nullptr);
    png_set_IHDR(png, info, Width, Height, kind.depth, kind.colourType,
                 kind.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const int entries = kind.colourType == PNG_COLOR_TYPE_PALETTE ? 1 << kind.depth : 0;
    png_color palette[256];
    png_byte alphas[256];
    for (int i = 0; i < entries; ++i) {
        palette[i] = {png_byte(i * 97 + 3), png_byte(i * 31 + 7), png_byte(255 - i * 13)};
        alphas[i] = png_byte(i * 71);
    }
    if (entries)
        png_set_PLTE(png, info, palette, entries);
    if (kind.transparentColour) {
        // A palette's alphas for its first entries only; otherwise the colour of pixel (1, 0).
        png_color_16 colour{};
        colour.gray = png_uint_16(sample(1, 0, 0, kind.depth));
        colour.red = png_uint_16(sample(1, 0, 0, kind.depth));
        colour.green = png_uint_16(sample(1, 0, 1, kind.depth));
        colour.blue = png_uint_16(sample(1, 0, 2, kind.depth));
        png_set_tRNS(png, info, alphas, entries ? std::max(1, entries / 2) : 0, &colour);
    }
    if (kind.gamma)
        png_set_gAMA(png, info, kind.gamma);
    png_write_info(png, info);
    const int perPixel = channels(kind.colourType);
    const std::size_t rowBytes = (std::size_t(Width) * perPixel * kind.depth + 7) / 8;
    std::vector<png_byte> rows(rowBytes * Height, 0);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            for (int c = 0; c < perPixel; ++c) {
                const unsigned v =
                    entries ? unsigned(x + 3 * y) % unsigned(entries) : sample(x, y, c, kind.depth);
                png_byte* row = rows.data() + rowBytes * y;
                const std::size_t bit = std::size_t(x * perPixel + c) * kind.depth;
                if (kind.depth == 16) {
                    row[bit / 8] = png_byte(v >> 8);
                    row[bit / 8 + 1] = png_byte(v);
                } else {
                    row[bit / 8] |= png_byte(v << (8 - kind.depth - bit % 8));
                }
            }
    std::vector<png_bytep> pointers;
    for (int y = 0; y < Height; ++y)
        pointers.push_back(rows.data() + rowBytes * y);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return QByteArray(file.data(), qsizetype(file.size()));
}

struct Decoded {
    FreeImageLibrary::DecodedPicture picture;
    std::vector<std::string> messages;
};

template <typename Decoder> Decoded decodeWith(Decoder decoder, const QByteArray& file)
{
    Decoded d;
    d.picture = decoder(reinterpret_cast<const unsigned char*>(file.constData()), std::size_t(file.size()),
                        [&](int, const char* message) { d.messages.push_back(message); });
    return d;
}

Decoded byLibpng(const QByteArray& file)
{
    return decodeWith([](auto... a) { return PngDecoder::decode(a...); }, file);
}

Decoded byFreeImage(const QByteArray& file)
{
    return decodeWith([](auto... a) { return FreeImageLibrary::decode(a...); }, file);
}

} // namespace

// The import's PNG decoder beside FreeImage's PNG reader, which it replaces: the same
// pixels for every kind of PNG, and the same refusals of damaged ones.
class PngDecoderTest : public QObject {
    Q_OBJECT
private slots:
    void samePixelsAsFreeImage_data();
    void samePixelsAsFreeImage();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void decodesIntoTheGivenStore();
};

void PngDecoderTest::samePixelsAsFreeImage_data()
{
    QTest::addColumn<PngKind>("kind");
    const int grey = PNG_COLOR_TYPE_GRAY, greyAlpha = PNG_COLOR_TYPE_GRAY_ALPHA, rgb = PNG_COLOR_TYPE_RGB,
              rgba = PNG_COLOR_TYPE_RGB_ALPHA, palette = PNG_COLOR_TYPE_PALETTE;
    for (int depth : {1, 2, 4, 8, 16})
        QTest::addRow("grey, %d bits", depth) << PngKind{grey, depth};
    for (int depth : {2, 8, 16})
        QTest::addRow("grey, %d bits, transparent colour", depth) << PngKind{grey, depth, false, true};
    for (int depth : {8, 16}) {
        QTest::addRow("grey and alpha, %d bits", depth) << PngKind{greyAlpha, depth};
        QTest::addRow("RGB, %d bits", depth) << PngKind{rgb, depth};
        QTest::addRow("RGB, %d bits, transparent colour", depth) << PngKind{rgb, depth, false, true};
        QTest::addRow("RGBA, %d bits", depth) << PngKind{rgba, depth};
    }
    for (int depth : {1, 2, 4, 8}) {
        QTest::addRow("palette, %d bits", depth) << PngKind{palette, depth};
        QTest::addRow("palette, %d bits, alphas", depth) << PngKind{palette, depth, false, true};
    }
    QTest::newRow("RGBA, interlaced") << PngKind{rgba, 8, true};
    QTest::newRow("palette, 4 bits, interlaced") << PngKind{palette, 4, true};
    QTest::newRow("grey, 16 bits, interlaced") << PngKind{grey, 16, true, true};
    // A file gamma far from a screen's: corrected, every mid tone would move.
    QTest::newRow("RGB with a gamma of 1.0") << PngKind{rgb, 8, false, false, 1.0};
    QTest::newRow("RGBA with a gamma of 0.25") << PngKind{rgba, 8, false, false, 0.25};
}

void PngDecoderTest::samePixelsAsFreeImage()
{
    QFETCH(PngKind, kind);
    const QByteArray file = writePng(kind);
    QVERIFY(!file.isEmpty());
    const Decoded ours = byLibpng(file), theirs = byFreeImage(file);
    QVERIFY(theirs.picture.converted);
    QVERIFY(ours.picture.converted);
    QCOMPARE(ours.picture.format, theirs.picture.format);
    QCOMPARE(ours.picture.width, std::uint32_t(Width));
    QCOMPARE(ours.picture.height, std::uint32_t(Height));
    QCOMPARE(ours.picture.pixels.size(), theirs.picture.pixels.size());
    for (std::size_t i = 0; i < ours.picture.pixels.size(); ++i)
        if (ours.picture.pixels[i] != theirs.picture.pixels[i])
            QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, FreeImage's %4")
                                 .arg(i % Width)
                                 .arg(i / Width)
                                 .arg(ours.picture.pixels[i], 8, 16, QChar('0'))
                                 .arg(theirs.picture.pixels[i], 8, 16, QChar('0'))));
    QCOMPARE(ours.messages, theirs.messages);
}

void PngDecoderTest::damagedFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray good = writePng({PNG_COLOR_TYPE_RGB_ALPHA, 8});
    const qsizetype data = good.indexOf("IDAT") + 4, end = good.indexOf("IEND") - 4;
    QTest::newRow("cut inside the pixel data") << good.left((data + end) / 2);
    QTest::newRow("cut before the end chunk") << good.left(end);
    QTest::newRow("signature only") << good.left(8);
    QByteArray header = good;
    header[16] = char(header[16] ^ 1); // the width, under the old checksum
    QTest::newRow("header checksum wrong") << header;
    QByteArray pixels = good;
    for (qsizetype i = data + 2; i < end - 4; ++i)
        pixels[i] = char(0xA5 ^ i);
    QTest::newRow("pixel data scrambled") << pixels;
    QByteArray huge = good;
    qToBigEndian(quint32(20000), huge.data() + 16); // wider than the bound; checksum fixed below
    const quint32 crc = ~[&] {
        quint32 c = 0xFFFFFFFFu;
        for (qsizetype i = 12; i < 29; ++i) {
            c ^= quint8(huge[i]);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c;
    }();
    qToBigEndian(crc, huge.data() + 29);
    QTest::newRow("header of a picture beyond the bound") << huge;
}

void PngDecoderTest::damagedFilesAreRefused()
{
    QFETCH(QByteArray, file);
    const Decoded ours = byLibpng(file), theirs = byFreeImage(file);
    QVERIFY(!theirs.picture.converted);
    QVERIFY(!ours.picture.converted);
    QVERIFY(ours.picture.pixels.empty());
    QCOMPARE(ours.picture.loaded, theirs.picture.loaded);
    QCOMPARE(ours.picture.tooLarge, theirs.picture.tooLarge);
    QCOMPARE(ours.picture.width, theirs.picture.width);
    QCOMPARE(ours.picture.height, theirs.picture.height);
    QCOMPARE(ours.picture.failure, theirs.picture.failure);
    QCOMPARE(ours.messages, theirs.messages);
}

void PngDecoderTest::decodesIntoTheGivenStore()
{
    const QByteArray file = writePng({PNG_COLOR_TYPE_RGB_ALPHA, 8, true});
    std::vector<std::uint32_t> store(std::size_t(Width) * Height + 1, 0xDEADBEEFu);
    QSize asked;
    const FreeImageLibrary::DecodedPicture picture =
        PngDecoder::decode(reinterpret_cast<const unsigned char*>(file.constData()), std::size_t(file.size()),
                           {}, [&](std::uint32_t w, std::uint32_t h) {
                               asked = QSize(int(w), int(h));
                               return store.data();
                           });
    QVERIFY(picture.converted);
    QVERIFY(picture.pixels.empty());
    QCOMPARE(asked, QSize(Width, Height));
    const Decoded reference = byFreeImage(file);
    QVERIFY(std::equal(reference.picture.pixels.begin(), reference.picture.pixels.end(), store.begin()));
    QCOMPARE(store.back(), 0xDEADBEEFu); // nothing written past the picture

    // No memory for the pixels: refused, as a decode that cannot finish.
    std::vector<std::string> messages;
    const FreeImageLibrary::DecodedPicture none = PngDecoder::decode(
        reinterpret_cast<const unsigned char*>(file.constData()), std::size_t(file.size()),
        [&](int, const char* m) { messages.push_back(m); },
        [](std::uint32_t, std::uint32_t) { return nullptr; });
    QVERIFY(!none.converted);
    QCOMPARE(messages.size(), std::size_t(1));
}

QTEST_MAIN(PngDecoderTest)
#include "tst_pngdecoder.moc"
