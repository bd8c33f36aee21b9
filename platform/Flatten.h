#pragma once

#include <QImage>
#include <QRgb>

// A picture as it shows over a background colour: every pixel composited over it by
// its alpha, so a fully transparent pixel takes the background and never the colour
// stored under it. The result is Format_RGB32.
QImage flattenedOver(const QImage& picture, QRgb background);
