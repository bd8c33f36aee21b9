#pragma once

#include "platform/Colour.h"

#include <QImage>
#include <QObject>
#include <QRect>

// A picture box's persistent image: a true-colour QImage with a background colour.
// Drawing changes the image only; present() tells whoever shows it to repaint.
class Surface : public QObject {
    Q_OBJECT
public:
    Surface(int width, int height, Colour backColour = 0, QObject* parent = nullptr);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    QSize size() const { return m_image.size(); }
    QRect rect() const { return m_image.rect(); }

    // Resizing keeps what fits and fills the rest with the background colour.
    void resize(int width, int height);

    Colour backColor() const { return m_backColour; }
    // Setting the background colour clears the whole image to it.
    void setBackColor(Colour c);
    void clear();

    // InvalidColour outside the image.
    Colour pixel(int x, int y) const;
    void setPixel(int x, int y, Colour c);
    void fillRect(const QRect& r, Colour c);

    // Plain rectangle copy from src (sx, sy) to (dx, dy), clipped to both images.
    void copyFrom(const Surface& src, int dx, int dy, int w, int h, int sx = 0, int sy = 0);
    void copyFrom(const QImage& src, int dx, int dy, int w, int h, int sx = 0, int sy = 0);
    // Colour-keyed copy: source pixels equal to key leave the destination untouched.
    void transparentCopyFrom(const Surface& src, int dx, int dy, int w, int h, int sx, int sy, Colour key);
    // Constant-alpha blend: each channel becomes (s * a + d * (255 - a)) / 255, rounded.
    void blendFrom(const QImage& src, int dx, int dy, int w, int h, int sx, int sy, int alpha);

    // A one-pixel line that leaves its end point unpainted.
    void line(int x1, int y1, int x2, int y2, Colour c);
    // The outline of the rectangle covering x1..x2-1 by y1..y2-1.
    void rectangle(int x1, int y1, int x2, int y2, Colour c);

    const QImage& image() const { return m_image; }
    // For painters that draw straight into the image (QPainter); call present() after.
    QImage& image() { return m_image; }

    void present();
    void present(const QRect& changed);

    static int blendChannel(int source, int destination, int alpha)
    {
        return (source * alpha + destination * (255 - alpha) + 127) / 255;
    }
    // n pixels of s blended over d with blendChannel, the result opaque.
    static void blendRow(QRgb* d, const QRgb* s, int n, int alpha);

signals:
    void presented(const QRect& changed);

private:
    QImage m_image;
    Colour m_backColour;
};
