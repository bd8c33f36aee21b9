#include "faces/GreyFaceSearch.h"

#include <algorithm>
#include <cmath>
#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/image_transforms/interpolation.h>
#include <sstream>
#include <string>

struct GreyFaceSearch::Detector {
    dlib::frontal_face_detector hog;
    bool ready = false;
};

GreyFaceSearch::GreyFaceSearch(const unsigned char* detector, std::size_t size)
    : m_detector(std::make_unique<Detector>())
{
    try {
        std::istringstream in(std::string(reinterpret_cast<const char*>(detector), size));
        dlib::deserialize(m_detector->hog, in);
        m_detector->ready = true;
    } catch (const std::exception&) {
        m_detector->ready = false;
    }
}

GreyFaceSearch::~GreyFaceSearch() = default;

bool GreyFaceSearch::ready() const
{
    return m_detector->ready;
}

std::vector<GreyFaceSearch::Box> GreyFaceSearch::find(const unsigned char* grey, int width, int height,
                                                      std::size_t stride, int searchSide) const
{
    if (!m_detector->ready || width < 1 || height < 1 || searchSide < 1)
        return {};
    dlib::array2d<unsigned char> picture(height, width);
    for (int y = 0; y < height; ++y)
        std::copy_n(grey + stride * std::size_t(y), width, &picture[y][0]);
    const double scale = double(searchSide) / std::max(width, height);
    dlib::array2d<unsigned char> searched;
    if (scale == 1.0) {
        dlib::swap(searched, picture);
    } else {
        searched.set_size(std::max(1L, std::lround(height * scale)),
                          std::max(1L, std::lround(width * scale)));
        dlib::resize_image(picture, searched, dlib::interpolate_bilinear());
    }
    const double backX = double(width) / searched.nc(), backY = double(height) / searched.nr();
    std::vector<Box> faces;
    for (const dlib::rectangle& r : m_detector->hog(searched))
        faces.push_back({int(std::lround(r.left() * backX)), int(std::lround(r.top() * backY)),
                         int(std::lround(r.width() * backX)), int(std::lround(r.height() * backY))});
    return faces;
}
