#include "platform/BitmapHeader.h"

#include <QtEndian>
#include <climits>
#include <limits>

BitmapHeader BitmapHeader::parse(const QByteArray& d)
{
    BitmapHeader h;
    if (d.size() < 26)
        return h;
    auto le32 = [&](int at) { return qFromLittleEndian<quint32>(d.constData() + at); };
    auto le16 = [&](int at) { return qFromLittleEndian<quint16>(d.constData() + at); };
    const quint32 offset = le32(10);
    const quint32 headerSize = le32(14);
    qint64 width = 0, height = 0, bits = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = le16(18);
        height = le16(20);
        bits = le16(24);
    } else {
        if (d.size() < HeadBytes)
            return h;
        width = qint32(le32(18));
        height = qAbs(qint64(qint32(le32(22))));
        bits = le16(28);
        compression = le32(30);
    }
    h.valid = width > 0 && height > 0;
    h.size = QSize(int(qMin<qint64>(width, INT_MAX)), int(qMin<qint64>(height, INT_MAX)));
    if (h.valid && (compression == 0 || compression == 3 || compression == 6)) {
        // A forged header overflows the product; saturate, the file is short of it anyway.
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        h.bytesNeeded = rowBytes > (std::numeric_limits<qint64>::max() - qint64(offset)) / height
                            ? std::numeric_limits<qint64>::max()
                            : qint64(offset) + rowBytes * height;
    }
    return h;
}
