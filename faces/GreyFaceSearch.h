#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// dlib's HOG frontal face detector on a grey picture in memory, without Qt: what the import
// helper runs. The detector comes from the plain serialized form FaceFinder::serializedDetector
// gives, which unpacks in milliseconds.
class GreyFaceSearch {
public:
    struct Box {
        int left;
        int top;
        int width;
        int height;
    };

    // Not ready() when the bytes are not a serialized detector.
    GreyFaceSearch(const unsigned char* detector, std::size_t size);
    ~GreyFaceSearch();
    GreyFaceSearch(const GreyFaceSearch&) = delete;
    GreyFaceSearch& operator=(const GreyFaceSearch&) = delete;

    bool ready() const;
    // The faces in the picture (rows stride bytes apart), searched on a copy scaled to
    // searchSide pixels on its longest side: faces down to about 80 of those pixels are
    // found, and the time grows with the square of searchSide. Boxes in the picture's pixels.
    std::vector<Box> find(const unsigned char* grey, int width, int height, std::size_t stride,
                          int searchSide) const;

private:
    struct Detector;
    std::unique_ptr<Detector> m_detector;
};
