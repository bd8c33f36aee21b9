#include "faces/OpenCvFaceFinder.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#ifndef PICTORIA_OPENCV_CASCADES
#define PICTORIA_OPENCV_CASCADES "/usr/share/opencv4/haarcascades"
#endif

namespace {

// A detection must be backed by this many neighbouring hits: fewer finds more faces but
// also faces in foliage and feathers (measured on the face set in the README).
constexpr int Neighbours = 5;
constexpr int SmallestFace = 20; // pixels of the reduced copy

std::vector<QRect> detect(cv::CascadeClassifier& cascade, const cv::Mat& grey)
{
    std::vector<cv::Rect> found;
    cascade.detectMultiScale(grey, found, 1.1, Neighbours, 0, cv::Size(SmallestFace, SmallestFace));
    std::vector<QRect> boxes;
    for (const cv::Rect& r : found)
        boxes.emplace_back(r.x, r.y, r.width, r.height);
    return boxes;
}

} // namespace

struct OpenCvFaceFinder::Cascades {
    cv::CascadeClassifier frontal;
    cv::CascadeClassifier profile;
};

OpenCvFaceFinder::OpenCvFaceFinder(const QString& cascades) : m_cascades(std::make_unique<Cascades>())
{
    const QDir folder(cascades.isEmpty() ? QStringLiteral(PICTORIA_OPENCV_CASCADES) : cascades);
    m_cascades->frontal.load(
        QDir::toNativeSeparators(folder.filePath(QStringLiteral("haarcascade_frontalface_alt2.xml")))
            .toStdString());
    m_cascades->profile.load(
        QDir::toNativeSeparators(folder.filePath(QStringLiteral("haarcascade_profileface.xml")))
            .toStdString());
}

OpenCvFaceFinder::~OpenCvFaceFinder() = default;

bool OpenCvFaceFinder::ready() const
{
    return !m_cascades->frontal.empty() && !m_cascades->profile.empty();
}

std::vector<QRect> OpenCvFaceFinder::find(const QImage& picture) const
{
    if (!ready() || picture.isNull())
        return {};
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    cv::Mat full(grey.height(), grey.width(), CV_8UC1);
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(full.ptr(y), grey.constScanLine(y), std::size_t(grey.width()));
    const double scale = std::min(1.0, double(WorkingSide) / std::max(grey.width(), grey.height()));
    cv::Mat small;
    if (scale < 1.0)
        cv::resize(full, small,
                   cv::Size(std::max(1, int(std::lround(grey.width() * scale))),
                            std::max(1, int(std::lround(grey.height() * scale)))),
                   0, 0, cv::INTER_AREA);
    else
        small = full;
    cv::equalizeHist(small, small);

    std::vector<QRect> faces = detect(m_cascades->frontal, small);
    // Profiles facing the other way are found in the mirrored copy; a profile over a
    // frontal face is the same face.
    std::vector<QRect> profiles = detect(m_cascades->profile, small);
    cv::Mat mirrored;
    cv::flip(small, mirrored, 1);
    for (const QRect& r : detect(m_cascades->profile, mirrored))
        profiles.emplace_back(small.cols - r.x() - r.width(), r.y(), r.width(), r.height());
    for (const QRect& p : profiles)
        if (std::none_of(faces.begin(), faces.end(), [&](const QRect& f) { return f.intersects(p); }))
            faces.push_back(p);

    for (QRect& r : faces)
        r = QRect(int(std::lround(r.x() / scale)), int(std::lround(r.y() / scale)),
                  int(std::lround(r.width() / scale)), int(std::lround(r.height() / scale)));
    return faces;
}
