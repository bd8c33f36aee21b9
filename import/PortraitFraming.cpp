#include "import/PortraitFraming.h"

#include "import/PictureScale.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace PortraitFraming {

namespace {

// The frame's corner along one axis: where wanted puts it, kept on the picture.
int keepOn(double wanted, int frame, int shown)
{
    if (shown <= frame)
        return -(frame - shown) / 2;
    return std::clamp(int(std::lround(wanted)), 0, shown - frame);
}

double coverScale(QSize picture, QSize frame)
{
    return std::max(double(frame.width()) / picture.width(), double(frame.height()) / picture.height());
}

QSize scaledBy(QSize picture, double scale)
{
    return {std::max(1, int(std::lround(picture.width() * scale))),
            std::max(1, int(std::lround(picture.height() * scale)))};
}

} // namespace

Framing frameFace(QRect face, QSize picture, QSize frame)
{
    if (picture.isEmpty() || face.isEmpty())
        return {picture, {}};
    const double scale = std::clamp(FaceInFrame * frame.height() / face.height(), coverScale(picture, frame),
                                    std::max(MostEnlarged, coverScale(picture, frame)));
    Framing f;
    f.shown = scaledBy(picture, scale);
    const double centreX = (face.x() + face.width() / 2.0) * scale;
    const double eyesY = (face.y() + EyesInBox * face.height()) * scale;
    f.origin = {keepOn(centreX - frame.width() / 2.0, frame.width(), f.shown.width()),
                keepOn(eyesY - EyesInFrame * frame.height(), frame.height(), f.shown.height())};
    return f;
}

std::vector<QRect> largestFirst(std::vector<QRect> faces)
{
    std::stable_sort(faces.begin(), faces.end(), [](const QRect& a, const QRect& b) {
        return qint64(a.width()) * a.height() > qint64(b.width()) * b.height();
    });
    return faces;
}

Framing frameDetail(const QImage& picture, QSize frame)
{
    if (picture.isNull())
        return {};
    const double scale = coverScale(picture.size(), frame);
    Framing f;
    f.shown = scaledBy(picture.size(), scale);
    // Measured on a copy of at most 128 pixels a side: detail at the portrait's scale,
    // not the photo's grain.
    const QSize small = PictureScale::fitSize(picture.size(), QSize(128, 128));
    const QImage look = PictureScale::scaledPart(picture, small, QRect(QPoint(0, 0), small));
    const int w = look.width(), h = look.height();
    std::vector<double> score(std::size_t(w) * std::size_t(h));
    auto luma = [&](int x, int y) {
        const QRgb p = look.pixel(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
        return 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double edge =
                std::abs(4 * luma(x, y) - luma(x - 1, y) - luma(x + 1, y) - luma(x, y - 1) - luma(x, y + 1));
            const QColor c = QColor::fromRgb(look.pixel(x, y));
            const double saturation = c.hsvSaturationF() * c.valueF() * 64.0;
            // Skin: a warm hue, some saturation, not dark.
            const float hue = c.hsvHueF();
            const bool skin = hue >= 0.0f && (hue < 0.14f || hue > 0.97f) && c.hsvSaturationF() > 0.15f &&
                              c.hsvSaturationF() < 0.7f && c.valueF() > 0.3f;
            score[std::size_t(y) * std::size_t(w) + std::size_t(x)] = edge + saturation + (skin ? 48.0 : 0.0);
        }
    // The frame's window on the copy; the best window by an integral image.
    const int fw = std::clamp(int(std::lround(frame.width() / scale * w / picture.width())), 1, w);
    const int fh = std::clamp(int(std::lround(frame.height() / scale * h / picture.height())), 1, h);
    std::vector<double> sum(std::size_t(w + 1) * std::size_t(h + 1), 0.0);
    auto at = [&](int x, int y) -> double& {
        return sum[std::size_t(y) * std::size_t(w + 1) + std::size_t(x)];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            at(x + 1, y + 1) = score[std::size_t(y) * std::size_t(w) + std::size_t(x)] + at(x, y + 1) +
                               at(x + 1, y) - at(x, y);
    QPoint best(0, 0);
    double most = -1;
    for (int y = 0; y + fh <= h; ++y)
        for (int x = 0; x + fw <= w; ++x) {
            const double s = at(x + fw, y + fh) - at(x, y + fh) - at(x + fw, y) + at(x, y);
            if (s > most) {
                most = s;
                best = {x, y};
            }
        }
    const double toShownX = double(f.shown.width()) / w, toShownY = double(f.shown.height()) / h;
    f.origin = {keepOn(best.x() * toShownX, frame.width(), f.shown.width()),
                keepOn(best.y() * toShownY, frame.height(), f.shown.height())};
    return f;
}

} // namespace PortraitFraming
