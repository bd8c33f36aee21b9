#pragma once

#include <QImage>
#include <QRect>
#include <vector>

// Finds the faces in a picture for the import window's A key. The editor never runs a
// detector itself: an implementation hands the picture to a process that does (or, in
// tests and tools, to a detector in-process).
class FaceLocator {
public:
    virtual ~FaceLocator() = default;
    // The faces' boxes in the picture's pixels, brows to chin; empty when there is none
    // (or the search failed).
    virtual std::vector<QRect> findFaces(const QImage& picture) = 0;
};
