#include "faces/FaceFinder.h"

#include <algorithm>
#include <cmath>
#include <dlib/image_processing/frontal_face_detector.h>
#include <sstream>

struct FaceFinder::Detector {
    dlib::frontal_face_detector hog = dlib::get_frontal_face_detector();
};

FaceFinder::FaceFinder() : m_detector(std::make_unique<Detector>()) {}

FaceFinder::~FaceFinder() = default;

std::string FaceFinder::serializedDetector()
{
    std::ostringstream out;
    dlib::serialize(dlib::get_frontal_face_detector(), out);
    return out.str();
}

std::vector<QRect> FaceFinder::find(const QImage& picture) const
{
    if (picture.isNull())
        return {};
    QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const double scale = std::min(1.0, double(WorkingSide) / std::max(grey.width(), grey.height()));
    if (scale < 1.0)
        grey = grey.scaled(std::max(1, int(std::lround(grey.width() * scale))),
                           std::max(1, int(std::lround(grey.height() * scale))), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    dlib::array2d<unsigned char> image;
    image.set_size(grey.height(), grey.width());
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            image[y][x] = line[x];
    }
    dlib::pyramid_up(image);
    // Back from the doubled, reduced copy to the picture's pixels.
    const double back = 1.0 / (2.0 * scale);
    std::vector<QRect> faces;
    for (const dlib::rectangle& r : m_detector->hog(image))
        faces.emplace_back(int(std::lround(r.left() * back)), int(std::lround(r.top() * back)),
                           int(std::lround(r.width() * back)), int(std::lround(r.height() * back)));
    return faces;
}
