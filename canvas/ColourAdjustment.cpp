#include "canvas/ColourAdjustment.h"

#include "canvas/ColourReduction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// The tone steps on one channel level, in order: gamma, brightness, contrast.
std::array<int, 256> toneTable(const ColourAdjustment::Settings& s)
{
    const double gamma = std::pow(2.0, s.gamma / 50.0);
    const double brightness = s.brightness / 100.0;
    const double k = s.contrast / 100.0;
    const double slope = k >= 0 ? 1.0 / std::max(0.01, 1.0 - k) : 1.0 + k;
    std::array<int, 256> table{};
    for (int level = 0; level < 256; ++level) {
        double c = level / 255.0;
        if (s.gamma != 0)
            c = std::pow(c, 1.0 / gamma);
        if (s.brightness != 0)
            c = brightness < 0 ? c * (1.0 + brightness) : c + (1.0 - c) * brightness;
        if (s.contrast != 0)
            c = (c - 0.5) * slope + 0.5;
        table[std::size_t(level)] = int(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
    }
    return table;
}

} // namespace

QImage ColourAdjustment::apply(const QImage& picture, const Settings& settings)
{
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    if (settings.isNeutral())
        return out;
    const bool colour = settings.saturation != 0 || settings.hue != 0;
    const double chroma = 1.0 + settings.saturation / 100.0;
    const double turn = settings.hue * std::numbers::pi / 180.0;
    const double cosTurn = std::cos(turn), sinTurn = std::sin(turn);
    const std::array<int, 256> tone = toneTable(settings);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            Colour c = fromQRgb(row[x]);
            if (colour) {
                ColourReduction::Lab lab = ColourReduction::toOkLab(c);
                const double a = lab.a * chroma, b = lab.b * chroma;
                lab.a = a * cosTurn - b * sinTurn;
                lab.b = a * sinTurn + b * cosTurn;
                c = ColourReduction::fromOkLab(lab);
            }
            row[x] = qRgb(tone[std::size_t(redOf(c))], tone[std::size_t(greenOf(c))],
                          tone[std::size_t(blueOf(c))]);
        }
    }
    return out;
}
