#include "import/PictureScale.h"

#include "import/LinearLight.h"
#include "import/SharpScale.h"

#include <QtMath>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace PictureScale {

namespace {

// Which source pixels an output pixel covers, and how much of each: the first and the
// last may be covered in part, every pixel between them wholly.
struct Span {
    int first = 0;
    int count = 0;
    double firstWeight = 0; // with count 1, the one pixel's weight
    double lastWeight = 0;
};

std::vector<Span> spans(int sourceLength, int targetLength)
{
    std::vector<Span> result(static_cast<std::size_t>(targetLength));
    const double step = double(sourceLength) / targetLength;
    for (int o = 0; o < targetLength; ++o) {
        const double a = o * step;
        const double b = o + 1 == targetLength ? double(sourceLength) : (o + 1) * step;
        Span& s = result[std::size_t(o)];
        s.first = int(std::floor(a));
        const int last = qMin(sourceLength - 1, int(std::ceil(b)) - 1);
        s.count = last - s.first + 1;
        auto weight = [&](int i) { return qMax(0.0, qMin(b, double(i + 1)) - qMax(a, double(i))); };
        s.firstWeight = weight(s.first);
        s.lastWeight = weight(last);
    }
    return result;
}

} // namespace

double factor(int step)
{
    return std::pow(2.0, step / 4.0);
}

QSize scaledSize(QSize picture, int step)
{
    if (step == 0)
        return picture;
    const double f = factor(step);
    return {qMax(1, int(std::lround(picture.width() * f))), qMax(1, int(std::lround(picture.height() * f)))};
}

int minimumStep(QSize picture)
{
    int step = 0;
    while (step > MinStep) {
        const double f = factor(step - 1);
        if (picture.width() * f < 1.0 || picture.height() * f < 1.0)
            break;
        --step;
    }
    return step;
}

QImage areaAverage(const QImage& picture, QSize size)
{
    return scaledPart(picture, size, QRect(QPoint(0, 0), size));
}

QImage scaled(const QImage& picture, int step)
{
    if (step == 0 || picture.isNull())
        return picture;
    const QSize size = scaledSize(picture.size(), step);
    return scaledPart(picture, size, QRect(QPoint(0, 0), size));
}

namespace {

// Enlarging an axis: every shown pixel is the picture pixel its centre lies in, weighted
// by the shown pixel's width in picture pixels so that the area formula holds.
std::vector<Span> nearest(int sourceLength, int targetLength)
{
    std::vector<Span> result(static_cast<std::size_t>(targetLength));
    const double step = double(sourceLength) / targetLength;
    for (int o = 0; o < targetLength; ++o) {
        Span& s = result[std::size_t(o)];
        s.first = qMin(sourceLength - 1, int(std::floor((o + 0.5) * step)));
        s.count = 1;
        s.firstWeight = s.lastWeight = step;
    }
    return result;
}

std::vector<Span> axis(int sourceLength, int targetLength)
{
    return targetLength <= sourceLength ? spans(sourceLength, targetLength)
                                        : nearest(sourceLength, targetLength);
}

} // namespace

namespace {

// A large reduction first averages areas down to a few times the shown size, then
// filters: the window's taps grow with the reduction, and beyond that the averaged
// pixels hold all the detail the filter keeps.
constexpr int SharpOversampling = 6;
constexpr double SharpDirectUpTo = 12.0;

QImage sharpPart(const QImage& src, QSize shown, QRect part)
{
    const double reduction = qMax(double(src.width()) / shown.width(), double(src.height()) / shown.height());
    if (reduction <= SharpDirectUpTo)
        return SharpScale::part(src, shown, part);
    const QSize between(qMin(src.width(), shown.width() * SharpOversampling),
                        qMin(src.height(), shown.height() * SharpOversampling));
    const QRect needed = SharpScale::sourceRect(between, shown, part);
    const QImage averaged = scaledPart(src, between, needed, Filter::Smooth);
    return SharpScale::part(averaged, needed.topLeft(), between, shown, part);
}

} // namespace

QImage sampledPart(const QImage& picture, QSize shown, QRect part)
{
    part &= QRect(QPoint(0, 0), shown);
    if (part.isEmpty() || picture.isNull())
        return {};
    const QImage src =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage out(part.size(), QImage::Format_RGB32);
    if (out.isNull())
        return {};
    const std::vector<Span> columns = nearest(src.width(), shown.width());
    const std::vector<Span> rows = nearest(src.height(), shown.height());
    for (int oy = 0; oy < part.height(); ++oy) {
        const auto* line =
            reinterpret_cast<const QRgb*>(src.constScanLine(rows[std::size_t(part.top() + oy)].first));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(oy));
        for (int ox = 0; ox < part.width(); ++ox)
            dst[ox] = line[columns[std::size_t(part.left() + ox)].first] | 0xFF000000u;
    }
    return out;
}

QImage scaledPart(const QImage& picture, QSize shown, QRect part, Filter filter)
{
    part &= QRect(QPoint(0, 0), shown);
    if (part.isEmpty() || picture.isNull())
        return {};
    const QImage src =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (shown == src.size())
        return src.copy(part);
    // Enlarging both ways averages nothing: each shown pixel is the one it lies in.
    if (shown.width() >= src.width() && shown.height() >= src.height())
        return sampledPart(src, shown, part);
    if (filter == Filter::Sharp)
        return sharpPart(src, shown, part);
    QImage out(part.size(), QImage::Format_RGB32);
    if (out.isNull())
        return {};
    const std::vector<Span> allColumns = axis(src.width(), shown.width());
    const std::vector<Span> rows = axis(src.height(), shown.height());
    const std::vector<Span> columns(allColumns.begin() + part.left(), allColumns.begin() + part.right() + 1);
    const double area = double(src.width()) / shown.width() * (double(src.height()) / shown.height());
    const int w = part.width();

    // One output row at a time, in linear light: the source rows it covers are reduced
    // across and added up with their vertical weights. Wholly covered pixels add up in
    // integers, the partly covered ends with their weights.
    const std::uint16_t* light = LinearLight::levelTable();
    std::vector<double> sum(std::size_t(w) * 3);
    for (int oy = 0; oy < part.height(); ++oy) {
        std::fill(sum.begin(), sum.end(), 0.0);
        const Span& row = rows[std::size_t(part.top() + oy)];
        for (int k = 0; k < row.count; ++k) {
            const double wy = k == 0 ? row.firstWeight : k == row.count - 1 ? row.lastWeight : 1.0;
            if (wy <= 0.0)
                continue;
            const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(row.first + k));
            for (int ox = 0; ox < w; ++ox) {
                const Span& col = columns[std::size_t(ox)];
                const QRgb* p = line + col.first;
                double r = light[qRed(p[0])] * col.firstWeight;
                double g = light[qGreen(p[0])] * col.firstWeight;
                double b = light[qBlue(p[0])] * col.firstWeight;
                if (col.count > 1) {
                    const QRgb q = p[col.count - 1];
                    r += light[qRed(q)] * col.lastWeight;
                    g += light[qGreen(q)] * col.lastWeight;
                    b += light[qBlue(q)] * col.lastWeight;
                    std::uint32_t ir = 0, ig = 0, ib = 0;
                    for (int j = 1; j < col.count - 1; ++j) {
                        ir += light[(p[j] >> 16) & 0xFF];
                        ig += light[(p[j] >> 8) & 0xFF];
                        ib += light[p[j] & 0xFF];
                    }
                    r += ir;
                    g += ig;
                    b += ib;
                }
                sum[3 * std::size_t(ox)] += r * wy;
                sum[3 * std::size_t(ox) + 1] += g * wy;
                sum[3 * std::size_t(ox) + 2] += b * wy;
            }
        }
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(oy));
        const double perArea = 1.0 / area;
        for (int ox = 0; ox < w; ++ox) {
            const double* s = &sum[3 * std::size_t(ox)];
            dst[ox] = qRgb(LinearLight::toLevel(s[0] * perArea), LinearLight::toLevel(s[1] * perArea),
                           LinearLight::toLevel(s[2] * perArea));
        }
    }
    return out;
}

QSize fitSize(QSize picture, QSize frame)
{
    const double s = qMin(double(frame.width()) / picture.width(), double(frame.height()) / picture.height());
    return {qBound(1, int(std::lround(picture.width() * s)), frame.width()),
            qBound(1, int(std::lround(picture.height() * s)), frame.height())};
}

QSize coverSize(QSize picture, QSize frame)
{
    const double s = qMax(double(frame.width()) / picture.width(), double(frame.height()) / picture.height());
    return {qMax(frame.width(), int(std::lround(picture.width() * s))),
            qMax(frame.height(), int(std::lround(picture.height() * s)))};
}

QRect sourceRect(QSize picture, QSize shown, QRect part)
{
    const double fx = double(picture.width()) / shown.width();
    const double fy = double(picture.height()) / shown.height();
    const int left = int(std::floor(part.left() * fx));
    const int top = int(std::floor(part.top() * fy));
    const int right = int(std::ceil((part.right() + 1) * fx));
    const int bottom = int(std::ceil((part.bottom() + 1) * fy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QImage fitInside(const QImage& picture, QSize frame, QRgb background, Filter filter)
{
    QImage out(frame, QImage::Format_RGB32);
    out.fill(background);
    if (picture.isNull())
        return out;
    const QSize size = fitSize(picture.size(), frame);
    const QImage scaledPicture = scaledPart(picture, size, QRect(QPoint(0, 0), size), filter);
    const int x = (frame.width() - scaledPicture.width()) / 2;
    const int y = (frame.height() - scaledPicture.height()) / 2;
    for (int row = 0; row < scaledPicture.height(); ++row)
        std::copy_n(reinterpret_cast<const QRgb*>(scaledPicture.constScanLine(row)), scaledPicture.width(),
                    reinterpret_cast<QRgb*>(out.scanLine(y + row)) + x);
    return out;
}

QImage coverFrame(const QImage& picture, QSize frame, Filter filter)
{
    if (picture.isNull())
        return {};
    // Only the frame's part of the covering picture is scaled.
    const QSize size = coverSize(picture.size(), frame);
    return scaledPart(
        picture, size,
        QRect(QPoint((size.width() - frame.width()) / 2, (size.height() - frame.height()) / 2), frame),
        filter);
}

} // namespace PictureScale
