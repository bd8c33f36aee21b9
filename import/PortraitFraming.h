#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

// Where the import window's frame goes to make a portrait of a face, the way a portrait
// photographer frames one: centred on the face across, the face about half the frame's
// height, the eyes a little above the middle. Without a face, the frame covers the most
// detailed part of the picture at the size that just covers the frame.
namespace PortraitFraming {

// A framing: the picture shown at `shown` (its size once scaled), and the top-left
// corner of the frame in those shown pixels.
struct Framing {
    QSize shown;
    QPoint origin;

    bool operator==(const Framing&) const = default;
};

// Detector boxes run from the brows to the chin; the eyes lie this far down a box.
inline constexpr double EyesInBox = 0.4;
// Where the eyes come in the frame, from its top.
inline constexpr double EyesInFrame = 0.42;
// The face box's share of the frame's height.
inline constexpr double FaceInFrame = 0.5;
// The largest enlargement a framing asks for (the window's largest zoom).
inline constexpr double MostEnlarged = 8.0;

// The framing of a face box (picture pixels) in a picture of the given size. The picture
// is never scaled below the size that covers the frame, and the frame stays on the
// picture wherever the picture allows.
Framing frameFace(QRect face, QSize picture, QSize frame);

// Faces ordered as A visits them: the largest first.
std::vector<QRect> largestFirst(std::vector<QRect> faces);

// The attention framing: the picture scaled to just cover the frame, the frame over the
// part with the most detail (edges, colour and skin tones), as a thumbnailer's crop does.
Framing frameDetail(const QImage& picture, QSize frame);

} // namespace PortraitFraming
