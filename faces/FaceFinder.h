#pragma once

#include <QImage>
#include <QRect>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Finds faces with dlib's HOG frontal face detector (built into the library: no model
// file to read, so a sandboxed process can use it without opening anything). It finds
// faces from straight on to about half-turned, in photos and drawings. The search runs
// on a grey copy reduced to at most WorkingSide pixels a side and then doubled, so faces
// down to about 40 pixels of the reduced copy are found.
class FaceFinder {
public:
    static constexpr int WorkingSide = 1024;

    // The library's detector, unpacked from the compressed form it is built into (slow:
    // hundreds of milliseconds).
    FaceFinder();
    // The detector from the plain serialized form serializedDetector() gives (a few
    // milliseconds); an empty finder, which finds nothing, when the bytes are not one.
    FaceFinder(const unsigned char* detector, std::size_t size);
    ~FaceFinder();
    FaceFinder(const FaceFinder&) = delete;
    FaceFinder& operator=(const FaceFinder&) = delete;

    // The faces' boxes (brows to chin) in the picture's pixels, in no particular order.
    std::vector<QRect> find(const QImage& picture) const;
    // The same search on a copy scaled (up or down) to searchSide pixels on its longest
    // side: faces down to about 80 of those pixels are found, and the time grows with
    // the square of searchSide.
    std::vector<QRect> findAtSide(const QImage& picture, int searchSide) const;

    // The library's detector in dlib's plain serialized form.
    static std::string serializedDetector();

private:
    struct Detector;
    std::unique_ptr<Detector> m_detector;
};
