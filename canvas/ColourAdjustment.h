#pragma once

#include <QImage>

// Brightness, contrast, saturation, hue and gamma over a whole picture. Saturation and
// hue work in OKLab (chroma scaled, hue turned), so a turn keeps each colour's lightness;
// gamma, brightness and contrast then work on each sRGB channel. Settings all at zero
// give the picture back exactly.
class ColourAdjustment {
public:
    struct Settings {
        int brightness = 0; // -100 (black) .. 100 (white)
        int contrast = 0;   // -100 (flat grey) .. 100 (hard)
        int saturation = 0; // -100 (grey) .. 100 (twice the chroma)
        int hue = 0;        // degrees, -180 .. 180
        int gamma = 0;      // -100 .. 100: the mid-tones darker or lighter (gamma 1/4 .. 4)
        bool isNeutral() const
        {
            return brightness == 0 && contrast == 0 && saturation == 0 && hue == 0 && gamma == 0;
        }
        bool operator==(const Settings&) const = default;
    };

    static QImage apply(const QImage& picture, const Settings& settings);
};
