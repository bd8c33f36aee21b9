#pragma once

#include <QImage>
#include <QRect>
#include <memory>
#include <vector>

// The second opinion beside FaceFinder: OpenCV's cascade detectors from the opencv-data
// package, which the accuracy tool measures and the tests check framings against: the frontal
// face cascade, and the profile cascade looking either way (it is trained on one side).
// The search runs on a grey copy reduced to at most WorkingSide pixels a side. The
// cascades are read when the finder is made, so a sandboxed process can make it before
// it gives up opening files.
class OpenCvFaceFinder {
public:
    static constexpr int WorkingSide = 1024;

    // From the cascades' folder (the package's unless named).
    explicit OpenCvFaceFinder(const QString& cascades = {});
    ~OpenCvFaceFinder();
    OpenCvFaceFinder(const OpenCvFaceFinder&) = delete;
    OpenCvFaceFinder& operator=(const OpenCvFaceFinder&) = delete;

    // Whether the cascades could be read.
    bool ready() const;
    // The faces' boxes in the picture's pixels, in no particular order.
    std::vector<QRect> find(const QImage& picture) const;

private:
    struct Cascades;
    std::unique_ptr<Cascades> m_cascades;
};
