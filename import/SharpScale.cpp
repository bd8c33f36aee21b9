#include "import/SharpScale.h"

#include "import/LinearLight.h"

#include <QRgb>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace SharpScale {

namespace {

double lanczos3(double x)
{
    x = std::abs(x);
    if (x < 1e-9)
        return 1.0;
    if (x >= 3.0)
        return 0.0;
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

// For each output pixel along one axis: the source pixels it draws on and their weights
// (summing to one).
struct AxisTaps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset; // into weights
    std::vector<float> weights;

    int end(std::size_t o) const { return first[o] + count[o]; }
};

AxisTaps axisTaps(int source, int target, int from, int to)
{
    AxisTaps t;
    const auto n = std::size_t(to - from);
    t.first.resize(n);
    t.count.resize(n);
    t.offset.resize(n);
    if (target >= source) {
        for (std::size_t i = 0; i < n; ++i) {
            const int o = from + int(i);
            t.first[i] = std::min(source - 1, int(std::floor((o + 0.5) * source / target)));
            t.count[i] = 1;
            t.offset[i] = int(i);
            t.weights.push_back(1.0f);
        }
        return t;
    }
    const double scale = double(target) / source;
    const double support = 3.0 / scale;
    std::vector<double> w;
    for (std::size_t i = 0; i < n; ++i) {
        const int o = from + int(i);
        const double centre = (o + 0.5) / scale;
        const int start = std::max(0, int(centre - support + 0.5));
        const int stop = std::min(source, int(centre + support + 0.5));
        w.clear();
        double sum = 0.0;
        for (int j = start; j < stop; ++j) {
            w.push_back(lanczos3((j + 0.5 - centre) * scale));
            sum += w.back();
        }
        t.first[i] = start;
        t.count[i] = stop - start;
        t.offset[i] = int(t.weights.size());
        for (double v : w)
            t.weights.push_back(float(sum != 0.0 ? v / sum : 1.0 / double(w.size())));
    }
    return t;
}

} // namespace

QRect sourceRect(QSize whole, QSize shown, QRect wanted)
{
    const AxisTaps columns = axisTaps(whole.width(), shown.width(), wanted.left(), wanted.right() + 1);
    const AxisTaps rows = axisTaps(whole.height(), shown.height(), wanted.top(), wanted.bottom() + 1);
    return QRect(QPoint(columns.first.front(), rows.first.front()),
                 QPoint(columns.end(columns.first.size() - 1) - 1, rows.end(rows.first.size() - 1) - 1));
}

QImage part(const QImage& picture, QSize shown, QRect wanted)
{
    return part(picture, QPoint(0, 0), picture.size(), shown, wanted);
}

QImage part(const QImage& picture, QPoint origin, QSize whole, QSize shown, QRect wanted)
{
    QImage out(wanted.size(), QImage::Format_RGB32);
    if (out.isNull() || wanted.isEmpty())
        return {};
    const AxisTaps columns = axisTaps(whole.width(), shown.width(), wanted.left(), wanted.right() + 1);
    const AxisTaps rows = axisTaps(whole.height(), shown.height(), wanted.top(), wanted.bottom() + 1);
    const int w = wanted.width();
    const int rowFrom = rows.first.front();
    const int rowTo = rows.end(rows.first.size() - 1);
    const int colFrom = columns.first.front();
    const int colTo = columns.end(columns.first.size() - 1);
    const std::uint16_t* light = LinearLight::levelTable();

    // Across first: every source row the output rows reach, filtered to the output's
    // columns, in linear light. A pixel's three channels (and one spare) are one vector.
    using Light = float __attribute__((vector_size(16)));
    const Light zero = {0, 0, 0, 0};
    const Light full = {float(LinearLight::Full), float(LinearLight::Full), float(LinearLight::Full), 0};
    auto clamp = [&](Light v) {
        v = v < zero ? zero : v;
        return v > full ? full : v;
    };
    std::vector<Light> across(std::size_t(rowTo - rowFrom) * std::size_t(w));
    std::vector<Light> line(std::size_t(colTo - colFrom));
    for (int y = rowFrom; y < rowTo; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y - origin.y())) - origin.x();
        for (int x = colFrom; x < colTo; ++x) {
            const QRgb p = src[x];
            line[std::size_t(x - colFrom)] =
                Light{float(light[qRed(p)]), float(light[qGreen(p)]), float(light[qBlue(p)]), 0.0f};
        }
        Light* row = &across[std::size_t(y - rowFrom) * std::size_t(w)];
        for (std::size_t o = 0; o < std::size_t(w); ++o) {
            const float* wt = &columns.weights[std::size_t(columns.offset[o])];
            const Light* s = &line[std::size_t(columns.first[o] - colFrom)];
            Light sum = zero;
            for (int k = 0; k < columns.count[o]; ++k)
                sum += wt[k] * s[k];
            row[o] = clamp(sum);
        }
    }

    // Then down, and back to sRGB.
    std::vector<Light> sum(static_cast<std::size_t>(w));
    for (std::size_t oy = 0; oy < rows.first.size(); ++oy) {
        std::fill(sum.begin(), sum.end(), zero);
        const float* wt = &rows.weights[std::size_t(rows.offset[oy])];
        for (int k = 0; k < rows.count[oy]; ++k) {
            const Light* row = &across[std::size_t(rows.first[oy] + k - rowFrom) * std::size_t(w)];
            const float weight = wt[k];
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += weight * row[i];
        }
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(int(oy)));
        for (std::size_t o = 0; o < std::size_t(w); ++o)
            dst[o] = qRgb(LinearLight::toLevel(sum[o][0]), LinearLight::toLevel(sum[o][1]),
                          LinearLight::toLevel(sum[o][2]));
    }
    return out;
}

} // namespace SharpScale
