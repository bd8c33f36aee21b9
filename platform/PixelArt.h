#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The toolbar images, the eyedropper pointer and the application icon are pixel art. Qt
// scales images to the screen's device pixel ratio with smoothing, which turns them into
// blurred blobs on a high-density screen; these build the enlarged copies by repeating
// pixels instead, so each source pixel stays an exact block of device pixels.
namespace PixelArt {

// One of the program's own PNG pictures, read by the PNG reader alone. Reading by name
// would first ask every image format plugin whether it takes the file, loading them all
// (and their libraries) into the process at start.
QImage png(const QString& path);

// The image at `path` with copies enlarged 2, 3 and 4 times for the integer device pixel
// ratios; all of them paint at the image's own logical size.
QIcon icon(const QString& path);

// The image enlarged to `ratio` (rounded to a whole factor of at least 1) and marked with
// that device pixel ratio, so it still covers its own logical size.
QPixmap pixmap(const QString& path, qreal ratio);

// A pointer from the image with its hot spot in image pixels, drawn at `ratio`.
QCursor cursor(const QString& path, int hotX, int hotY, qreal ratio);

// The application icon at every size shipped.
QIcon applicationIcon();

} // namespace PixelArt
