#pragma once

#include "platform/GdiStatus.h"
#include "platform/Status.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// Puts bytes into a file whole or not at all: written to a new file beside the target,
// synced to the disk, renamed over the target and the folder synced. Any failure up to
// the rename (a full disk, no permission, a sync the disk refuses) removes the new file
// and leaves an existing target byte for byte as it was. A symbolic link is kept: the
// file it points to is replaced.
class AtomicFileWriter {
    Q_DECLARE_TR_FUNCTIONS(AtomicFileWriter)

public:
    // Ok, or the target's trouble in the codec service's terms and the system's words.
    static Status write(const QString& fileName, const QByteArray& bytes);
};
