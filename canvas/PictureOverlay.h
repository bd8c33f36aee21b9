#pragma once

#include "canvas/ViewOverlay.h"

// A 48 x 56 picture shown in place of the portrait, enlarged as the portrait is: the
// as-saved look, an import's or a colour adjustment's preview. Nothing of the portrait
// changes while it shows.
class PictureOverlay : public ViewOverlay {
public:
    // Pixels the picture lacks show black.
    void show(const QImage& picture);
    void hide() { m_picture = QImage(); }
    const QImage& picture() const { return m_picture; }

    bool isShown() const override { return !m_picture.isNull(); }
    bool coversCells() const override { return isShown(); }
    void paint(const ViewFrame& frame) const override;

private:
    QImage m_picture;
};
