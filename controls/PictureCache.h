#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>

// A bitmap copied and scaled to its display size. The top-left pixel's colour is the
// transparent key, and every pixel within +-3 of it in each channel is set exactly to
// the key, so slightly noisy (e.g. JPEG) backgrounds still drop out.
class PictureCache {
public:
    void build(const QImage& bitmap, QSize size);
    void clear() { m_image = QImage(); }

    bool isNull() const { return m_image.isNull(); }
    const QImage& image() const { return m_image; }
    QRgb key() const { return m_key; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }

    // The key-coloured pixels as horizontal runs, in cache coordinates.
    QRegion transparentRegion() const;

private:
    QImage m_image;
    QRgb m_key = 0;
};
