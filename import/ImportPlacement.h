#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the import window goes on the screen: beside the main window when the screen
// has room, so the live portrait stays in sight; otherwise where it hides the least of
// the main window's view.
namespace ImportPlacement {

// The top-left corner of a window frame of the given size. All rectangles are in the
// same (global) coordinates; keepVisible is the view, owner the main window's frame.
QPoint place(const QRect& screen, const QRect& owner, const QRect& keepVisible, QSize frame);

} // namespace ImportPlacement
