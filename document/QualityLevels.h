#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>

// A JPEG quality the output options offer, and its option's caption (translated in the
// ControlPanel context).
struct QualityLevel {
    std::int32_t percent;
    const char* caption;
};

// The four qualities, best first: Perfect, High, Medium, Low.
inline constexpr std::array<QualityLevel, 4> QualityLevels{{
    {100, QT_TRANSLATE_NOOP("ControlPanel", "Perfect  (100%)")},
    {85, QT_TRANSLATE_NOOP("ControlPanel", "High       (85%)")},
    {70, QT_TRANSLATE_NOOP("ControlPanel", "Medium  (70%)")},
    {55, QT_TRANSLATE_NOOP("ControlPanel", "Low         (55%)")},
}};
