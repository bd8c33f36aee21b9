#pragma once

#include "files/GdiStatus.h"

#include <QByteArray>
#include <QString>

// Puts bytes into a file whole or not at all: written beside the target, flushed to
// disk and renamed over it, so a failed write leaves any existing file as it was.
class AtomicFileWriter {
public:
    // Ok, or the target's trouble in the codec service's terms and the system's words.
    static GdiFailure write(const QString& fileName, const QByteArray& bytes);
};
