#pragma once

// Picture files written byte by byte, so the tests control every header field: Windows
// bitmaps of each depth, a Photoshop file, an OpenEXR file, a float map, and the damaged
// and hostile variants the import must survive.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>

namespace TestPictures {

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline void le16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xFF)).append(char(v >> 8));
}
inline void le32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
inline void le64(QByteArray& b, quint64 v)
{
    le32(b, quint32(v));
    le32(b, quint32(v >> 32));
}
inline void be16(QByteArray& b, quint16 v)
{
    b.append(char(v >> 8)).append(char(v & 0xFF));
}
inline void be32(QByteArray& b, quint32 v)
{
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// A Windows bitmap of the given depth. For 1, 4 and 8 bits, index(x, y) picks from the
// palette; for 16 bits the colour is stored as 5-5-5; 24 and 32 bits store it as is.
// Rows are bottom-up unless topDown.
template <typename PixelFn>
QByteArray bmp(int width, int height, int bits, PixelFn pixel, const QList<QRgb>& palette = {},
               bool topDown = false)
{
    const int stride = ((width * bits + 31) / 32) * 4;
    const int paletteBytes = bits <= 8 ? 4 * int(palette.size()) : 0;
    QByteArray b;
    b.append("BM");
    le32(b, quint32(54 + paletteBytes + stride * height));
    le32(b, 0);
    le32(b, quint32(54 + paletteBytes));
    le32(b, 40);
    le32(b, quint32(width));
    le32(b, quint32(topDown ? -height : height));
    le16(b, 1);
    le16(b, quint16(bits));
    le32(b, 0);
    le32(b, quint32(stride * height));
    le32(b, 2835);
    le32(b, 2835);
    le32(b, bits <= 8 ? quint32(palette.size()) : 0);
    le32(b, 0);
    if (bits <= 8)
        for (QRgb c : palette) {
            b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
        }
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const quint32 v = pixel(x, y);
            switch (bits) {
            case 1:
                line[x / 8] = char(line[x / 8] | ((v & 1) << (7 - x % 8)));
                break;
            case 4:
                line[x / 2] = char(line[x / 2] | ((v & 15) << (x % 2 ? 0 : 4)));
                break;
            case 8:
                line[x] = char(v);
                break;
            case 16: {
                const quint16 w = quint16(((qRed(v) >> 3) << 10) | ((qGreen(v) >> 3) << 5) | (qBlue(v) >> 3));
                line[2 * x] = char(w & 0xFF);
                line[2 * x + 1] = char(w >> 8);
                break;
            }
            case 24:
            case 32:
                line[x * bits / 8] = char(qBlue(v));
                line[x * bits / 8 + 1] = char(qGreen(v));
                line[x * bits / 8 + 2] = char(qRed(v));
                if (bits == 32)
                    line[x * 4 + 3] = char(0xFF);
                break;
            }
        }
        b.append(line);
    }
    return b;
}

// A 24-bit Windows bitmap with the 124-byte version 5 header (sRGB, no compression).
template <typename PixelFn> QByteArray bmpV5(int width, int height, PixelFn pixel)
{
    const int stride = ((width * 24 + 31) / 32) * 4;
    QByteArray b;
    b.append("BM");
    le32(b, quint32(14 + 124 + stride * height));
    le32(b, 0);
    le32(b, 14 + 124);
    le32(b, 124);
    le32(b, quint32(width));
    le32(b, quint32(height));
    le16(b, 1);
    le16(b, 24);
    le32(b, 0);
    le32(b, quint32(stride * height));
    le32(b, 2835);
    le32(b, 2835);
    le32(b, 0);
    le32(b, 0);
    b.append(QByteArray(16, '\0')); // masks, unused without bit fields
    le32(b, 0x73524742);            // 'sRGB'
    b.append(QByteArray(36 + 12 + 16, '\0'));
    for (int y = height - 1; y >= 0; --y) {
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb v = pixel(x, y);
            line[3 * x] = char(qBlue(v));
            line[3 * x + 1] = char(qGreen(v));
            line[3 * x + 2] = char(qRed(v));
        }
        b.append(line);
    }
    return b;
}

// A 16-bit bitmap with 5-6-5 bit fields; fields(x, y) gives the red (0..31), green
// (0..63) and blue (0..31) fields of each pixel. The masks follow a 40-byte header or sit
// inside a 124-byte (version 5) one.
template <typename FieldFn> QByteArray bmp565(int width, int height, FieldFn fields, int headerSize = 40)
{
    const int stride = ((width * 16 + 31) / 32) * 4;
    const int offset = 14 + headerSize + (headerSize == 40 ? 12 : 0);
    QByteArray b;
    b.append("BM");
    le32(b, quint32(offset + stride * height));
    le32(b, 0);
    le32(b, quint32(offset));
    le32(b, quint32(headerSize));
    le32(b, quint32(width));
    le32(b, quint32(height));
    le16(b, 1);
    le16(b, 16);
    le32(b, 3); // bit fields
    le32(b, quint32(stride * height));
    le32(b, 2835);
    le32(b, 2835);
    le32(b, 0);
    le32(b, 0);
    le32(b, 0xF800);
    le32(b, 0x07E0);
    le32(b, 0x001F);
    if (headerSize > 40) {
        le32(b, 0);          // no alpha
        le32(b, 0x73524742); // 'sRGB'
        b.append(QByteArray(headerSize - 60, '\0'));
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const std::array<int, 3> f = fields(x, y);
            const quint16 w = quint16(f[0] << 11 | f[1] << 5 | f[2]);
            line[2 * x] = char(w & 0xFF);
            line[2 * x + 1] = char(w >> 8);
        }
        b.append(line);
    }
    return b;
}

// An 8-bit run-length bitmap: each row as runs of equal indexes, ended by an end-of-line
// code, the last one followed by the end-of-bitmap code.
template <typename IndexFn>
QByteArray bmpRle8(int width, int height, IndexFn index, const QList<QRgb>& palette)
{
    QByteArray data;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width;) {
            int n = 1;
            while (x + n < width && n < 255 && index(x + n, y) == index(x, y))
                ++n;
            data.append(char(n)).append(char(index(x, y)));
            x += n;
        }
        data.append('\0').append('\0');
    }
    data.append('\0').append('\1');
    const int paletteBytes = 4 * int(palette.size());
    QByteArray b;
    b.append("BM");
    le32(b, quint32(54 + paletteBytes + data.size()));
    le32(b, 0);
    le32(b, quint32(54 + paletteBytes));
    le32(b, 40);
    le32(b, quint32(width));
    le32(b, quint32(height));
    le16(b, 1);
    le16(b, 8);
    le32(b, 1); // RLE8
    le32(b, quint32(data.size()));
    le32(b, 2835);
    le32(b, 2835);
    le32(b, quint32(palette.size()));
    le32(b, 0);
    for (QRgb c : palette)
        b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return b + data;
}

inline quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= uchar(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG file with one more chunk right after its header chunk.
inline QByteArray pngWithChunk(QByteArray png, const char* type, const QByteArray& data)
{
    QByteArray chunk;
    be32(chunk, quint32(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    chunk.append(body);
    be32(chunk, crc32(body));
    return png.insert(33, chunk);
}

// An uncompressed 24-bit TGA, rows top to bottom.
template <typename PixelFn> QByteArray tga(int width, int height, PixelFn pixel)
{
    QByteArray b;
    b.append('\0').append('\0').append('\2');
    b.append(QByteArray(9, '\0'));
    le16(b, quint16(width));
    le16(b, quint16(height));
    b.append(char(24)).append(char(0x20));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb v = pixel(x, y);
            b.append(char(qBlue(v))).append(char(qGreen(v))).append(char(qRed(v)));
        }
    return b;
}

// The same picture run-length encoded, as one packet run after another: a repeat packet
// where neighbours are equal, literal packets of up to 128 pixels elsewhere.
template <typename PixelFn> QByteArray tgaRle(int width, int height, PixelFn pixel)
{
    QByteArray b;
    b.append('\0').append('\0').append('\x0A');
    b.append(QByteArray(9, '\0'));
    le16(b, quint16(width));
    le16(b, quint16(height));
    b.append(char(24)).append(char(0x20));
    auto bgr = [&](QRgb v) { b.append(char(qBlue(v))).append(char(qGreen(v))).append(char(qRed(v))); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width;) {
            int run = 1;
            while (x + run < width && run < 128 && pixel(x + run, y) == pixel(x, y))
                ++run;
            if (run > 1) {
                b.append(char(0x80 | (run - 1)));
                bgr(pixel(x, y));
                x += run;
                continue;
            }
            int literal = 1;
            while (x + literal < width && literal < 128 && pixel(x + literal, y) != pixel(x + literal - 1, y))
                ++literal;
            b.append(char(literal - 1));
            for (int i = 0; i < literal; ++i)
                bgr(pixel(x + i, y));
            x += literal;
        }
    return b;
}

// An 8-bit run-length PCX (version 5) with its 256-colour palette after the pixel data;
// index(x, y) picks the colour, palette(i) gives colour i.
template <typename IndexFn, typename PaletteFn>
QByteArray pcx(int width, int height, IndexFn index, PaletteFn palette)
{
    QByteArray b;
    b.append(char(0x0A)).append(char(5)).append(char(1)).append(char(8));
    le16(b, 0);
    le16(b, 0);
    le16(b, quint16(width - 1));
    le16(b, quint16(height - 1));
    le16(b, 72);
    le16(b, 72);
    b.append(QByteArray(48, '\0'));
    b.append(char(0)).append(char(1));
    const int stride = (width + 1) & ~1;
    le16(b, quint16(stride));
    le16(b, 1);
    b.append(QByteArray(58, '\0'));
    for (int y = 0; y < height; ++y) {
        QByteArray row;
        for (int x = 0; x < stride; ++x)
            row.append(char(index(std::min(x, width - 1), y)));
        for (int x = 0; x < row.size();) {
            int run = 1;
            while (x + run < row.size() && run < 63 && row[x + run] == row[x])
                ++run;
            const uchar v = uchar(row[x]);
            if (run > 1 || (v & 0xC0) == 0xC0)
                b.append(char(0xC0 | run));
            b.append(char(v));
            x += run;
        }
    }
    b.append(char(0x0C));
    for (int i = 0; i < 256; ++i) {
        const QRgb c = palette(i);
        b.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    return b;
}

// 70 bytes whose header claims 30000 x 30000 at 24 bits: 2.6 GB once decoded.
inline QByteArray bmpMemoryBomb()
{
    QByteArray b;
    b.append("BM");
    le32(b, 70);
    le32(b, 0);
    le32(b, 54);
    le32(b, 40);
    le32(b, 30000);
    le32(b, 30000);
    le16(b, 1);
    le16(b, 24);
    le32(b, 0);
    le32(b, 0);
    le32(b, 2835);
    le32(b, 2835);
    le32(b, 0);
    le32(b, 0);
    b.append(QByteArray(16, '\x7f'));
    return b;
}

// An 8-bit RGB Photoshop file with RLE (PackBits) image data, every row one literal run.
template <typename PixelFn> QByteArray psd(int width, int height, PixelFn pixel)
{
    QByteArray b;
    b.append("8BPS");
    be16(b, 1);
    b.append(QByteArray(6, '\0'));
    be16(b, 3);
    be32(b, quint32(height));
    be32(b, quint32(width));
    be16(b, 8);
    be16(b, 3);
    be32(b, 0); // colour mode data
    be32(b, 0); // image resources
    be32(b, 0); // layers and masks
    be16(b, 1); // RLE
    QList<QByteArray> rows;
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int x = 0; x < width; x += 128) {
                const int n = std::min(128, width - x);
                row.append(char(n - 1));
                for (int i = 0; i < n; ++i) {
                    const QRgb v = pixel(x + i, y);
                    row.append(char(c == 0 ? qRed(v) : c == 1 ? qGreen(v) : qBlue(v)));
                }
            }
            rows.append(row);
        }
    for (const QByteArray& row : rows)
        be16(b, quint16(row.size()));
    for (const QByteArray& row : rows)
        b.append(row);
    return b;
}

// Flips bytes of a file past its signature, reproducibly for a seed.
inline QByteArray mutate(QByteArray bytes, unsigned seed, int flips, int keep = 4)
{
    std::mt19937 rng(seed);
    for (int i = 0; i < flips; ++i) {
        const int at = keep + int(rng() % unsigned(bytes.size() - keep));
        bytes[at] = char(rng() & 0xFF);
    }
    return bytes;
}

// An uncompressed scanline OpenEXR file with float B, G, R channels; dataWindow may claim
// a size that does not match the data that follows.
template <typename PixelFn>
QByteArray exr(int width, int height, PixelFn pixel, int claimedXMax = -1, int claimedYMax = -1)
{
    QByteArray b;
    le32(b, 20000630); // 76 2f 31 01
    le32(b, 2);
    auto attribute = [&](const char* name, const char* type, const QByteArray& value) {
        b.append(name).append('\0').append(type).append('\0');
        le32(b, quint32(value.size()));
        b.append(value);
    };
    QByteArray channels;
    for (const char* name : {"B", "G", "R"}) {
        channels.append(name).append('\0');
        le32(channels, 2); // FLOAT
        channels.append(QByteArray(4, '\0'));
        le32(channels, 1);
        le32(channels, 1);
    }
    channels.append('\0');
    attribute("channels", "chlist", channels);
    attribute("compression", "compression", QByteArray(1, '\0'));
    QByteArray window;
    le32(window, 0);
    le32(window, 0);
    le32(window, quint32(claimedXMax >= 0 ? claimedXMax : width - 1));
    le32(window, quint32(claimedYMax >= 0 ? claimedYMax : height - 1));
    attribute("dataWindow", "box2i", window);
    attribute("displayWindow", "box2i", window);
    attribute("lineOrder", "lineOrder", QByteArray(1, '\0'));
    auto f32 = [](float v) {
        QByteArray a(4, '\0');
        std::memcpy(a.data(), &v, 4);
        return a;
    };
    attribute("pixelAspectRatio", "float", f32(1.0f));
    attribute("screenWindowCenter", "v2f", f32(0.0f) + f32(0.0f));
    attribute("screenWindowWidth", "float", f32(1.0f));
    b.append('\0');
    const int lineBytes = 8 + 3 * 4 * width;
    const qint64 tableEnd = b.size() + 8 * height;
    for (int y = 0; y < height; ++y)
        le64(b, quint64(tableEnd + qint64(y) * lineBytes));
    for (int y = 0; y < height; ++y) {
        le32(b, quint32(y));
        le32(b, quint32(3 * 4 * width));
        for (int c = 0; c < 3; ++c)
            for (int x = 0; x < width; ++x) {
                const QRgb v = pixel(x, y);
                const int channel = c == 0 ? qBlue(v) : c == 1 ? qGreen(v) : qRed(v);
                b.append(f32(float(channel) / 255.0f));
            }
    }
    return b;
}

// A portable float map (RGB, little-endian); rows are stored bottom-up.
inline QByteArray pfm(int width, int height, const std::function<void(int, int, float*)>& pixel)
{
    QByteArray b =
        QByteArray("PF\n") + QByteArray::number(width) + ' ' + QByteArray::number(height) + "\n-1.0\n";
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            float rgb[3];
            pixel(x, y, rgb);
            b.append(reinterpret_cast<const char*>(rgb), sizeof rgb);
        }
    return b;
}

// An uncompressed 8-bit RGB TIFF with its directory first and eight rows a strip, so a
// cut file keeps its directory and loses strips. extraTag, when not 0, adds a private
// tag no reader knows.
template <typename PixelFn> QByteArray tiff(int width, int height, PixelFn pixel, quint16 extraTag = 0)
{
    constexpr int rowsPerStrip = 8;
    const int strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    struct Entry {
        quint16 tag, type;
        quint32 count, value;
    };
    QList<Entry> entries;
    const int count = extraTag ? 11 : 10;
    const quint32 extra = 8 + 2 + 12 * count + 4; // after the directory
    const quint32 bitsAt = extra, offsetsAt = extra + 8, countsAt = offsetsAt + 4 * strips;
    const quint32 dataAt = countsAt + 4 * strips;
    entries = {{256, 3, 1, quint32(width)},
               {257, 3, 1, quint32(height)},
               {258, 3, 3, bitsAt},
               {259, 3, 1, 1},
               {262, 3, 1, 2},
               {273, 4, quint32(strips), offsetsAt},
               {277, 3, 1, 3},
               {278, 3, 1, rowsPerStrip},
               {279, 4, quint32(strips), countsAt},
               {284, 3, 1, 1}};
    if (extraTag)
        entries.append({extraTag, 3, 1, 7});
    QByteArray b("II*\0", 4);
    le32(b, 8);
    le16(b, quint16(entries.size()));
    for (const Entry& e : entries) {
        le16(b, e.tag);
        le16(b, e.type);
        le32(b, e.count);
        le32(b, e.value); // a single short sits in the low half, little-endian
    }
    le32(b, 0);
    for (int i = 0; i < 3; ++i)
        le16(b, 8);
    le16(b, 0);
    for (int s = 0; s < strips; ++s)
        le32(b, dataAt + quint32(s * rowsPerStrip * width * 3));
    for (int s = 0; s < strips; ++s)
        le32(b, quint32(std::min(rowsPerStrip, height - s * rowsPerStrip) * width * 3));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb v = pixel(x, y);
            b.append(char(qRed(v))).append(char(qGreen(v))).append(char(qBlue(v)));
        }
    return b;
}

} // namespace TestPictures
