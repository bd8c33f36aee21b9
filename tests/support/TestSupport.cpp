#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace TestSupport {

QString tempDir()
{
    static QTemporaryDir dir;
    return dir.path();
}

QString tempPath(const QString& name)
{
    return QDir(tempDir()).filePath(name);
}

Colour pixelAt(const QImage& image, int x, int y)
{
    return fromQRgb(image.pixel(x, y));
}

QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 5) & 255, (y * 4) & 255, ((x + y) * 3) & 255));
    return image;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

bool passesAsUnprivilegedUser(QString* log)
{
    constexpr uid_t Nobody = 65534;
    QTemporaryDir home;
    if (!home.isValid() || ::chown(QFile::encodeName(home.path()).constData(), Nobody, Nobody) != 0) {
        *log = QStringLiteral("cannot make a home for uid %1").arg(Nobody);
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"HOME", "TMPDIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        env.insert(QString::fromLatin1(name), home.path());
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const char* tag = QTest::currentDataTag();
    const QString row = tag ? QString::fromUtf8(tag) : QString();
    const QString only = row.isEmpty() ? function : function + u':' + row;

    QProcess child;
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(home.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    const QString id = QString::number(Nobody);
    child.start(QStringLiteral("setpriv"), {"--reuid=" + id, "--regid=" + id, "--clear-groups", "--",
                                            QCoreApplication::applicationFilePath(), only});
    const bool finished = child.waitForFinished(HangDeadlineMs);
    *log = QStringLiteral("as uid %1: %2 %3\n").arg(id, QCoreApplication::applicationFilePath(), only) +
           QString::fromLocal8Bit(child.readAll());
    if (!finished) {
        child.kill();
        child.waitForFinished();
        *log += QStringLiteral("\n(no end within %1 ms)").arg(HangDeadlineMs);
        return false;
    }
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 126)
        *log += QStringLiteral("\n(the build tree must be readable and executable by uid %1)").arg(id);
    // Passed, and really ran: a row that skipped there proves nothing either.
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
        !log->contains(QStringLiteral(", 0 failed, 0 skipped")))
        return false;
    const QString passed = QStringLiteral("::%1(%2)").arg(function, row);
    for (const QString& line : log->split(u'\n'))
        if (line.startsWith(QLatin1String("PASS   : ")) && line.endsWith(passed))
            return true;
    return false;
}

} // namespace TestSupport
