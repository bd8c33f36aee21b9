#pragma once

#include "platform/Colour.h"

#include <QImage>
#include <QString>

namespace TestSupport {

// A scratch folder that lives as long as the test process.
QString tempDir();
QString tempPath(const QString& name);

// Colour of an image pixel in the program's 0x00BBGGRR form.
Colour pixelAt(const QImage& image, int x, int y);

// A picture with a recognisable pattern: every pixel differs from its neighbours.
QImage patternImage(int width, int height);

} // namespace TestSupport
