#pragma once

#include <QRect>
#include <QSize>

// The import window's geometry, as plain arithmetic: the zoom a picture opens at, the
// room the window has beside the main window, and where the picture lies along each
// axis of the view.
namespace ImportLayout {

// The zoom step a picture opens at: 1:1 when it fits the room; a larger picture reduced
// by whole steps until all of it fits; a picture smaller than the frame enlarged by whole
// steps until the frame fits inside it.
int openingStep(QSize picture, QSize frame, QSize room);

// The part of the screen the window may take: the larger strip beside the owner (left
// or right, or above or below), or the whole screen when neither strip reaches minimum.
QRect roomBeside(const QRect& screen, const QRect& owner, QSize minimum);

// One axis of the view: the picture shown `shown` pixels long in a view `view` long. A
// picture longer than the view scrolls (the stage is the picture); a shorter one lies
// anywhere inside the view (the stage is the view, the picture at pad). wanted is where
// the picture's start should be, in view coordinates; it is kept as nearly as the view
// allows.
struct Axis {
    int stage = 0;
    int pad = 0;
    int scroll = 0;
};
Axis place(int view, int shown, int wanted);

} // namespace ImportLayout
