#include "platform/BoundedImageReader.h"

#include <QIODevice>
#include <QImageReader>
#include <QtEndian>
#include <array>
#include <bit>
#include <limits>
#include <optional>

namespace {

// Four 32-bit floats a pixel is the deepest picture a reader produces.
constexpr qint64 DeepestPixelBytes = 16;

int allocationLimitMb(qint64 maxPixels)
{
    const qint64 mb = (maxPixels * DeepestPixelBytes + (1 << 20) - 1) >> 20;
    return int(std::min<qint64>(mb, std::numeric_limits<int>::max()));
}

using ChannelMasks = std::array<quint32, 4>; // red, green, blue, alpha

// The channel masks of a bitmap whose pixels are bit fields: 16-bit pixels without
// compression (5-5-5), and the bit-field compressions, whose masks follow the 40-byte
// header or sit inside the longer ones at the same place.
std::optional<ChannelMasks> bitFields(const QByteArray& head)
{
    if (head.size() < 34 || !head.startsWith("BM"))
        return std::nullopt;
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    const quint32 headerSize = u32(14);
    if (headerSize < 40)
        return std::nullopt;
    const quint16 bits = qFromLittleEndian<quint16>(head.constData() + 28);
    const quint32 compression = u32(30);
    if (compression == 0 && bits == 16)
        return ChannelMasks{0x7C00, 0x03E0, 0x001F, 0};
    if ((compression != 3 && compression != 6) || head.size() < 66)
        return std::nullopt;
    ChannelMasks masks{u32(54), u32(58), u32(62), 0};
    if ((compression == 6 || headerSize >= 56) && head.size() >= 70)
        masks[3] = u32(66);
    return masks;
}

// Qt widens an n-bit field by shifting it up, so 31 of 31 becomes 248; the field is
// recovered from the top n bits and scaled so that its largest value is 255, rounding
// down as FreeImage does, so both readers give the same pixels.
std::array<uchar, 256> widening(quint32 mask)
{
    std::array<uchar, 256> table{};
    const int n = std::popcount(mask);
    for (int v = 0; v < 256; ++v) {
        if (n < 1 || n >= 8) {
            table[v] = uchar(v);
            continue;
        }
        const int max = (1 << n) - 1;
        table[v] = uchar((v >> (8 - n)) * 255 / max);
    }
    return table;
}

QImage widened(const QImage& image, const ChannelMasks& masks)
{
    QImage out =
        image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const auto red = widening(masks[0]), green = widening(masks[1]), blue = widening(masks[2]),
               alpha = widening(masks[3]);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(red[qRed(p)], green[qGreen(p)], blue[qBlue(p)], alpha[qAlpha(p)]);
        }
    }
    return out;
}

// Qt's icon reader also takes cursors and files that only look like an icon directory,
// an uncompressed TGA among them; an icon's directory says type 1.
bool isIconDirectory(QIODevice& device)
{
    const QByteArray head = device.peek(4);
    return head.size() == 4 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0;
}

// Qt's GIF reader answers whether it takes a device by decoding up to the first frame,
// whatever the bytes are, into a canvas as large as the file's logical screen or first
// frame claims (a gigabyte from a few dozen bytes); it is only asked about a device that
// begins with a GIF signature, and only once the canvas is known to be within the bound.
bool hasGifSignature(QIODevice& device)
{
    const QByteArray head = device.peek(6);
    return head == "GIF87a" || head == "GIF89a";
}

// The canvas Qt's GIF reader allocates: the logical screen, widened and heightened to
// take in the first frame (extension blocks before it are skipped). Invalid when the
// header ends before the first frame's descriptor.
QSize gifCanvas(QIODevice& device)
{
    const QByteArray d = device.peek(64 * 1024);
    auto u16 = [&](qsizetype at) { return int(qFromLittleEndian<quint16>(d.constData() + at)); };
    if (d.size() < 13)
        return {};
    QSize canvas(u16(6), u16(8));
    const uchar screenFlags = uchar(d[10]);
    qsizetype at = 13 + ((screenFlags & 0x80) ? 3 * (2 << (screenFlags & 7)) : 0);
    while (at < d.size() && uchar(d[at]) == 0x21) { // extension: introducer, label, sub-blocks
        at += 2;
        while (at < d.size() && d[at] != 0)
            at += 1 + uchar(d[at]);
        ++at;
    }
    if (at + 9 > d.size() || d[at] != 0x2C)
        return {};
    return canvas.expandedTo(QSize(u16(at + 1) + u16(at + 5), u16(at + 3) + u16(at + 7)));
}

} // namespace

BoundedImageReader::BoundedImageReader(int maxSide, qint64 maxPixels)
    : m_maxSide(maxSide), m_maxPixels(maxPixels)
{
}

bool BoundedImageReader::withinBounds(QSize size) const
{
    return size.width() <= m_maxSide && size.height() <= m_maxSide &&
           qint64(size.width()) * size.height() <= m_maxPixels;
}

QByteArray BoundedImageReader::formatOf(QIODevice& device, const QList<QByteArray>& formats)
{
    const qint64 start = device.pos();
    for (const QByteArray& format : formats) {
        if (format == "gif") {
            if (hasGifSignature(device))
                return format;
            continue;
        }
        QImageReader reader(&device, format);
        reader.setAutoDetectImageFormat(false);
        const bool takes = reader.canRead();
        device.seek(start); // the GIF reader's test reads on to the end
        if (takes && (format != "ico" || isIconDirectory(device)))
            return format;
    }
    return {};
}

BoundedImageReader::Result BoundedImageReader::read(QIODevice& device, const QList<QByteArray>& formats) const
{
    Result result;
    // The limit is Qt's, for the whole process; the bound here is what decides.
    QImageReader::setAllocationLimit(allocationLimitMb(m_maxPixels));
    const QByteArray format =
        formats.isEmpty() ? QImageReader::imageFormat(&device) : formatOf(device, formats);
    if (format.isEmpty()) {
        result.outcome = Outcome::NotAPicture;
        return result;
    }
    if (format == "gif") {
        const QSize canvas = gifCanvas(device);
        if (canvas.isValid() && !withinBounds(canvas)) {
            result.claimedSize = canvas;
            result.outcome = Outcome::TooLarge;
            return result;
        }
    }
    const std::optional<ChannelMasks> masks = format == "bmp" ? bitFields(device.peek(70)) : std::nullopt;
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(false);
    result.claimedSize = reader.size();
    if (result.claimedSize.isValid() && !withinBounds(result.claimedSize)) {
        result.outcome = Outcome::TooLarge;
        return result;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        switch (reader.error()) {
        case QImageReader::UnsupportedFormatError:
            result.outcome = Outcome::NotAPicture;
            break;
        case QImageReader::DeviceError:
            result.outcome = Outcome::Unreadable;
            break;
        default:
            result.outcome = Outcome::Damaged;
            break;
        }
        result.detail = reader.errorString();
        return result;
    }
    if (!withinBounds(image.size())) {
        result.claimedSize = image.size();
        result.outcome = Outcome::TooLarge;
        return result;
    }
    if (masks)
        image = widened(image, *masks);
    result.image =
        image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    result.outcome = Outcome::Decoded;
    return result;
}
