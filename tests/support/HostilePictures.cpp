#include "support/HostilePictures.h"

#include <QtEndian>
#include <cstdint>
#include <vector>

namespace HostilePictures {

namespace {

void be16(QByteArray& out, int v)
{
    out.append(char((v >> 8) & 0xFF));
    out.append(char(v & 0xFF));
}

void le16(QByteArray& out, quint32 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void le32(QByteArray& out, quint32 v)
{
    le16(out, v & 0xFFFF);
    le16(out, v >> 16);
}

// Entropy-coded bits, most significant first, with a zero stuffed after every 0xFF.
class BitWriter {
public:
    explicit BitWriter(QByteArray& out) : m_out(out) {}
    void put(quint32 bits, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = quint8(m_byte << 1 | ((bits >> i) & 1));
            if (++m_used == 8)
                flushByte();
        }
    }
    // The last byte is filled with ones.
    void finish()
    {
        while (m_used != 0)
            put(1, 1);
    }

private:
    void flushByte()
    {
        m_out.append(char(m_byte));
        if (m_byte == 0xFF)
            m_out.append('\0');
        m_byte = 0;
        m_used = 0;
    }
    QByteArray& m_out;
    quint8 m_byte = 0;
    int m_used = 0;
};

void segment(QByteArray& out, int marker, const QByteArray& body)
{
    out.append(char(0xFF));
    out.append(char(marker));
    be16(out, int(body.size()) + 2);
    out.append(body);
}

// One Huffman table with one symbol, coded by the single bit 0.
QByteArray oneSymbolTable(int tableClass, int symbol)
{
    QByteArray body;
    body.append(char(tableClass << 4));
    body.append(char(1));
    body.append(QByteArray(15, '\0'));
    body.append(char(symbol));
    return body;
}

void scanHeader(QByteArray& out, int ss, int se, int ah, int al)
{
    QByteArray body;
    body.append(char(1)); // one component
    body.append(char(1)); // component 1
    body.append(char(0)); // DC and AC table 0
    body.append(char(ss));
    body.append(char(se));
    body.append(char(ah << 4 | al));
    segment(out, 0xDA, body);
}

} // namespace

QByteArray progressiveJpeg(int width, int height)
{
    QByteArray out("\xFF\xD8", 2);
    segment(out, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame;
    frame.append(char(8));
    be16(frame, height);
    be16(frame, width);
    frame.append(char(1));
    frame.append(char(1));
    frame.append(char(0x11));
    frame.append(char(0));
    segment(out, 0xC2, frame);
    segment(out, 0xC4, oneSymbolTable(0, 0x00)); // a DC difference of 0
    segment(out, 0xC4, oneSymbolTable(1, 0xE0)); // a run of 2^14 and more empty blocks
    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);

    scanHeader(out, 0, 0, 0, 0);
    {
        BitWriter bits(out);
        for (qint64 i = 0; i < blocks; ++i)
            bits.put(0, 1);
        bits.finish();
    }
    // Runs of 16384 to 32767 blocks, as even as they come, covering every block.
    const qint64 runs = (blocks + 32766) / 32767;
    auto emptyBlocks = [&] {
        BitWriter bits(out);
        for (qint64 r = 0; r < runs; ++r) {
            const qint64 run = blocks / runs + (r < blocks % runs ? 1 : 0);
            bits.put(0, 1);
            bits.put(quint32(run - 16384), 14);
        }
        bits.finish();
    };
    for (int k = 1; k < 64; ++k) {
        scanHeader(out, k, k, 0, 13);
        emptyBlocks();
        for (int bit = 13; bit >= 1; --bit) {
            scanHeader(out, k, k, bit, bit - 1);
            emptyBlocks();
        }
    }
    out.append("\xFF\xD9", 2);
    return out;
}

QByteArray floatTiff(int width, int height)
{
    // One row of zero floats, deflated in zlib's format (qCompress adds a length first).
    const QByteArray row(qsizetype(width) * 3 * 4, '\0');
    const QByteArray strip = qCompress(row, 9).mid(4);

    struct Entry {
        quint16 tag, type;
        quint32 count, value;
    };
    const quint32 entries = 11;
    const quint32 ifdSize = 2 + entries * 12 + 4;
    const quint32 bitsAt = 8 + ifdSize;
    const quint32 formatAt = bitsAt + 6;
    const quint32 offsetsAt = formatAt + 6;
    const quint32 countsAt = offsetsAt + 4 * quint32(height);
    const quint32 stripAt = countsAt + 4 * quint32(height);
    const std::vector<Entry> ifd{
        {256, 4, 1, quint32(width)},
        {257, 4, 1, quint32(height)},
        {258, 3, 3, bitsAt},
        {259, 3, 1, 8}, // deflate
        {262, 3, 1, 2}, // RGB
        {273, 4, quint32(height), offsetsAt},
        {277, 3, 1, 3},
        {278, 4, 1, 1}, // one row a strip
        {279, 4, quint32(height), countsAt},
        {284, 3, 1, 1},
        {339, 3, 3, formatAt}, // IEEE floats
    };
    QByteArray out("II*\0", 4);
    le32(out, 8);
    le16(out, entries);
    for (const Entry& e : ifd) {
        le16(out, e.tag);
        le16(out, e.type);
        le32(out, e.count);
        if (e.type == 3 && e.count == 1) {
            le16(out, e.value);
            le16(out, 0);
        } else {
            le32(out, e.value);
        }
    }
    le32(out, 0);
    for (int i = 0; i < 3; ++i)
        le16(out, 32);
    for (int i = 0; i < 3; ++i)
        le16(out, 3);
    for (int y = 0; y < height; ++y)
        le32(out, stripAt);
    for (int y = 0; y < height; ++y)
        le32(out, quint32(strip.size()));
    out.append(strip);
    return out;
}

QByteArray gifOnScreen(int width, int height)
{
    QByteArray out("GIF89a");
    le16(out, quint32(width));
    le16(out, quint32(height));
    out.append(char(0x80)); // a global colour table of two colours
    out.append(char(0));
    out.append(char(0));
    out.append(QByteArray("\0\0\0\xFF\xFF\xFF", 6));
    out.append(char(0x2C));
    le16(out, 0);
    le16(out, 0);
    le16(out, 1);
    le16(out, 1);
    out.append(char(0));
    // Code size 2: clear (4), the pixel (0), end (5) in 3-bit codes, least significant first.
    out.append(QByteArray("\x02\x02\x44\x01\x00", 5));
    out.append(char(0x3B));
    return out;
}

} // namespace HostilePictures
