#include "import/LinearLight.h"

#include <array>
#include <cmath>
#include <vector>

namespace LinearLight {

namespace {

struct Tables {
    std::array<std::uint16_t, 256> linear{};
    // Indexed by the linear value rounded to a whole 0..65535.
    std::vector<std::uint8_t> level = std::vector<std::uint8_t>(65536);

    Tables()
    {
        for (int i = 0; i < 256; ++i)
            linear[std::size_t(i)] = std::uint16_t(std::lround(decode(i / 255.0) * Full));
        for (int i = 0; i < 65536; ++i)
            level[std::size_t(i)] = std::uint8_t(std::lround(encode(i / Full) * 255.0));
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

} // namespace

double decode(double srgb)
{
    return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

double encode(double linear)
{
    if (linear <= 0.0)
        return 0.0;
    if (linear >= 1.0)
        return 1.0;
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

std::uint16_t fromLevel(int level)
{
    return tables().linear[std::size_t(level & 0xFF)];
}

const std::uint16_t* levelTable()
{
    return tables().linear.data();
}

std::uint8_t toLevel(double linear)
{
    const double clamped = linear < 0.0 ? 0.0 : linear > Full ? Full : linear;
    return tables().level[std::size_t(clamped + 0.5)];
}

} // namespace LinearLight
