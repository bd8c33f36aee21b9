#pragma once

#include "platform/Colour.h"

#include <QImage>
#include <QPainter>
#include <QRegion>

// Pixel operations on the back buffer with the buffer's current clip. An empty clip
// region means "no clip". Lines leave their end point unpainted, as the edge model's
// polylines expect.
class ButtonCanvas {
public:
    explicit ButtonCanvas(QImage& image) : m_image(image) {}

    QImage& image() { return m_image; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }

    void setClip(const QRegion& clip) { m_clip = clip; }
    const QRegion& clip() const { return m_clip; }

    bool paintable(int x, int y) const;
    void setPixel(int x, int y, Colour c);
    Colour pixel(int x, int y) const;
    void invertPixel(int x, int y);
    void fillRect(const QRect& r, Colour c);
    void fillAll(Colour c) { fillRect(QRect(0, 0, width(), height()), c); }
    void fillRegion(const QRegion& r, Colour c);
    void line(QPoint from, QPoint to, Colour c);
    // Every other pixel of the line inverted, like a dotted focus rectangle.
    void dottedLine(QPoint from, QPoint to);
    // Horizontal bands from the top colour to the bottom colour over the whole area.
    void verticalGradient(Colour top, Colour bottom);

    // A painter honouring the clip, for text and images.
    void beginPainter(QPainter& p);

private:
    template <typename F> void walkLine(QPoint from, QPoint to, F plot);
    QImage& m_image;
    QRegion m_clip;
};
