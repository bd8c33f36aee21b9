#pragma once

#include "platform/Colour.h"

#include <QString>
#include <cstdint>

// The editing state the tools and commands share; the main window holds one.
struct EditingState {
    Colour FGColor = RGBColour(255, 255, 255);
    Colour BGColor = 0;
    Colour R1Color = RGBColour(255, 255, 255);
    Colour R2Color = 0;
    std::uint8_t GammaStep = 15;
    QString CurrentTool = QStringLiteral("Brush");
    std::int32_t OutputQuality = 100;
    std::uint8_t PopupAlpha = 204;
    QString Version = QStringLiteral("Version 1.1a");

    void reset() { *this = EditingState{}; }
};
