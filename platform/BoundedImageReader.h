#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <cstdint>

class QIODevice;

// Qt's image readers behind a size bound. The size a file claims is checked before any
// pixel is decoded, Qt's own allocation limit is raised to what the bound allows (its
// 128 MB default refuses pictures well inside it), and bitmaps with bit fields come back
// at the full 0..255 range. A failure says which case it is.
class BoundedImageReader {
public:
    enum class Outcome : std::uint8_t {
        Decoded,
        NotAPicture, // no reader takes the content
        TooLarge,    // the file claims more than the bound
        Damaged,     // a reader takes it but cannot decode it
        Unreadable,  // the device failed
    };

    struct Result {
        Outcome outcome = Outcome::NotAPicture;
        QImage image;      // Decoded: Format_ARGB32 when the picture has alpha, else Format_RGB32
        QSize claimedSize; // as the header claims, when it was read
        QString detail;    // the reader's own words for Damaged and Unreadable
    };

    BoundedImageReader(int maxSide, qint64 maxPixels);

    bool withinBounds(QSize size) const;

    // Reads the picture from the device's current position. With formats given, only
    // those readers are tried, in that order; without, every reader Qt has.
    Result read(QIODevice& device, const QList<QByteArray>& formats = {}) const;

    // The first of formats whose reader takes the content, or empty. GIF is taken by its
    // signature alone: Qt's reader would decode to answer.
    static QByteArray formatOf(QIODevice& device, const QList<QByteArray>& formats);

private:
    int m_maxSide;
    qint64 m_maxPixels;
};
