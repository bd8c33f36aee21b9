#pragma once

#include "document/QualityLevels.h"
#include "platform/Colour.h"
#include "platform/Version.h"

#include <QString>
#include <cstdint>

// The editing state the tools and commands share; the main window holds one.
struct EditingState {
    Colour FGColor = RGBColour(255, 255, 255);
    Colour BGColor = 0;
    Colour R1Color = RGBColour(255, 255, 255);
    Colour R2Color = 0;
    std::uint8_t GammaStep = 15;
    QString CurrentTool = QStringLiteral("Brush"); // the tag of the tool's toolbar button
    std::int32_t OutputQuality = QualityLevels[0].percent;
    std::uint8_t PopupAlpha = 204;
    QString Version = QStringLiteral("Version ") + QLatin1String(Release::Text);
    // JPEG at every quality keeps full colour resolution (4:4:4); off writes 4:2:0 below 100.
    bool FullColourDetail = false;
    // How far, in each of red, green and blue, a cell may be from the pressed or sought
    // colour for Fill and Replace to take it, and the reach of the colour merge; 0 is exact.
    std::uint8_t Tolerance = 0;

    void reset() { *this = EditingState{}; }
};
