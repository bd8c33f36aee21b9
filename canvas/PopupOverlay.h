#pragma once

#include "canvas/ViewOverlay.h"

// A picture blended over the view with one constant alpha (the RGB popup).
class PopupOverlay : public ViewOverlay {
public:
    void show(const QImage& picture, QPoint topLeft, int alpha);
    void hide() { m_picture = QImage(); }
    // Where it lies in view pixels; empty while hidden.
    QRect rect() const { return isShown() ? QRect(m_topLeft, m_picture.size()) : QRect(); }
    const QImage& picture() const { return m_picture; }
    int alpha() const { return m_alpha; }

    bool isShown() const override { return !m_picture.isNull(); }
    void paint(const ViewFrame& frame) const override;

private:
    QImage m_picture; // RGB32
    QPoint m_topLeft;
    int m_alpha = 255;
};
