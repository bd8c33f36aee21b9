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

// Whether this process runs as root, whom file permissions do not stop.
bool runningAsRoot();
// Runs the current test function (its current data row only) again in a child process,
// as the unprivileged user nobody with a temporary home and temporary folder of its own,
// through setpriv; true when it passed there without skipping. *log gets what it printed.
// For tests of what permissions refuse, which would prove nothing as root; the build
// tree must be readable and executable by that user.
bool passesAsUnprivilegedUser(QString* log);

// How long a test waits on a decoder or a child process before calling it hung: long
// enough for the slowest build on a loaded machine, so only a hang fails it (how fast
// things are is measured in bench/).
inline constexpr int HangDeadlineMs = 60'000;

} // namespace TestSupport
