#pragma once

// Shared by the fuzz targets: an offscreen Qt application (image plugins, fonts) and a
// scratch file the paths under test read by name, as they do in the editor.

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace FuzzSupport {

inline void startApplication(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
}

// One file per process, rewritten for every input; in /dev/shm when it exists.
inline QString scratchPath(const char* extension)
{
    const QString dir =
        QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm") : QStringLiteral("/tmp");
    return QStringLiteral("%1/pictoria-fuzz-%2.%3").arg(dir).arg(getpid()).arg(QLatin1String(extension));
}

inline bool writeScratch(const QString& path, const uint8_t* data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
}

} // namespace FuzzSupport
