#pragma once

#include <QImage>
#include <QRect>
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

    FaceFinder();
    ~FaceFinder();
    FaceFinder(const FaceFinder&) = delete;
    FaceFinder& operator=(const FaceFinder&) = delete;

    // The faces' boxes (brows to chin) in the picture's pixels, in no particular order.
    std::vector<QRect> find(const QImage& picture) const;

    // The library's detector in dlib's plain serialized form, which unpacks in milliseconds
    // instead of the hundreds the built-in compressed copy takes (see GreyFaceSearch).
    static std::string serializedDetector();

private:
    struct Detector;
    std::unique_ptr<Detector> m_detector;
};
