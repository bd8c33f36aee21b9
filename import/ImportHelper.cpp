#include "import/ImportHelper.h"

#include "import/SharedPixels.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr const char* HelperName = "pictoria-import-helper";
constexpr const char* FastName = "pictoria-import-fast";

void limit(int resource, rlim_t value)
{
    const rlimit r{value, value};
    ::setrlimit(resource, &r);
}

// The pipe's pixel words already have QImage::Format_ARGB32's layout; the image takes
// the buffer over instead of copying it, and is RGB32 when the helper says every pixel
// is opaque.
QImage wrapPixels(FreeImageLibrary::DecodedPicture& picture)
{
    auto* words = new std::vector<std::uint32_t>(std::move(picture.pixels));
    picture.pixels.clear();
    return QImage(
        reinterpret_cast<const uchar*>(words->data()), int(picture.width), int(picture.height),
        qsizetype(picture.width) * 4, picture.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32,
        [](void* p) { delete static_cast<std::vector<std::uint32_t>*>(p); }, words);
}

} // namespace

namespace {

QString besideEditor(const char* name)
{
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + '/' + name;
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return {};
}

} // namespace

QString ImportHelper::defaultProgram()
{
    if (const QString beside = besideEditor(HelperName); !beside.isEmpty())
        return beside;
#ifdef PICTORIA_IMPORT_HELPER
    return QStringLiteral(PICTORIA_IMPORT_HELPER);
#else
    return QString::fromLatin1(HelperName);
#endif
}

QString ImportHelper::fastProgram()
{
    if (const QString beside = besideEditor(FastName); !beside.isEmpty())
        return beside;
#ifdef PICTORIA_IMPORT_FAST
    return QStringLiteral(PICTORIA_IMPORT_FAST);
#else
    return QString::fromLatin1(FastName);
#endif
}

ImportHelper::Run ImportHelper::decode(const QString& path, const Settings& settings)
{
    Run run;
    QElapsedTimer clock;
    clock.start();

    // The editor opens the picture; the helper gets the descriptor as its standard input
    // and never opens a path itself.
    QFile picture(path);
    if (!picture.open(QIODevice::ReadOnly)) {
        run.status = Status::Finished;
        run.picture.fallback = FreeImageLibrary::Fallback::Unreadable;
        run.picture.fallbackText = picture.errorString().toStdString();
        return run;
    }
    // Above the standard descriptors, which the child's own set-up replaces before the
    // copy onto standard input is made (the editor's own may be closed).
    const int pictureFd = ::fcntl(picture.handle(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (pictureFd < 0) {
        run.status = Status::Finished;
        run.picture.fallback = FreeImageLibrary::Fallback::Unreadable;
        run.picture.fallbackText = std::strerror(errno);
        return run;
    }
    const auto closePicture = qScopeGuard([pictureFd] { ::close(pictureFd); });

    bool declined = true;
    if (settings.program.isEmpty())
        run = runHelper(fastProgram(), pictureFd, settings, declined);
    if (declined)
        run = runHelper(settings.program.isEmpty() ? defaultProgram() : settings.program, pictureFd, settings,
                        declined);
    run.elapsedMs = clock.elapsed();
    return run;
}

ImportHelper::Run ImportHelper::runHelper(const QString& program, int pictureFd, const Settings& settings,
                                          bool& declined)
{
    Run run;
    declined = false;
    // Each helper reads the picture from its start; the descriptors share one offset.
    ::lseek(pictureFd, 0, SEEK_SET);
    QProcess process;
    // Never the editor's own standard error: the child may not write files, and a
    // desktop session's log is one. The helper drops its diagnostics besides.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setInputChannelMode(QProcess::ManagedInputChannel);
    const rlim_t memory = rlim_t(settings.memoryLimitBytes);
    const rlim_t cpu = rlim_t(settings.cpuSeconds);
    // The pixels' memory keeps its number in the child, which learns it from its arguments.
    SharedPixels shared;
    const int sharedFd = shared.descriptor();
    QStringList arguments;
    if (sharedFd >= 0)
        arguments << QStringLiteral("--shared-pixels") << QString::number(sharedFd);
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([memory, cpu, pictureFd, sharedFd] {
        if (::dup2(pictureFd, STDIN_FILENO) < 0)
            ::_exit(127);
        if (sharedFd >= 0 && ::fcntl(sharedFd, F_SETFD, 0) != 0)
            ::_exit(127);
        limit(RLIMIT_AS, memory);
        limit(RLIMIT_CPU, cpu);
        limit(RLIMIT_CORE, 0);
        limit(RLIMIT_FSIZE, 0);
    });
    process.start(program, arguments);
    if (!process.waitForStarted(settings.timeoutMs)) {
        declined = program == fastProgram(); // the full helper is tried instead
        run.status = Status::NotStarted;
        run.detail = tr("The import helper could not be started (%1).").arg(process.errorString());
        return run;
    }
    process.closeWriteChannel();

    HelperProtocol::Reader reader(sharedFd >= 0);
    QDeadlineTimer deadline(settings.timeoutMs);
    bool timedOut = false;
    bool answered = false;
    auto drain = [&] {
        const QByteArray chunk = process.readAllStandardOutput();
        answered = answered || !chunk.isEmpty();
        if (!chunk.isEmpty())
            reader.feed(chunk.constData(), std::size_t(chunk.size()));
    };
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            timedOut = true;
            break;
        }
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 100)));
        drain();
        if (reader.failed())
            break;
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(2000);
    }
    drain();

    if (!timedOut && !answered && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == HelperProtocol::DeclinedExitCode && program == fastProgram()) {
        declined = true;
        return run;
    }
    run.messages = reader.messages();
    run.droppedMessages = reader.droppedMessages();
    if (timedOut) {
        run.status = Status::TimedOut;
        run.detail = tr("The picture took longer than %1 seconds to decode, so its import was "
                        "stopped.")
                         .arg(settings.timeoutMs / 1000.0);
    } else if (reader.failed()) {
        run.status = Status::BadAnswer;
        run.detail =
            tr("The import helper sent an invalid answer (%1).").arg(QString::fromStdString(reader.error()));
    } else if (process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0) {
        run.status = Status::Crashed;
        run.detail = tr("The image library failed while decoding this picture (%1), so its "
                        "import was stopped.")
                         .arg(process.exitStatus() == QProcess::CrashExit
                                  ? tr("the decoder crashed or ran out of its limits")
                                  : tr("exit code %1").arg(process.exitCode()));
    } else if (!reader.complete()) {
        run.status = Status::BadAnswer;
        run.detail = tr("The import helper ended without a complete answer.");
    } else {
        // Only now that the helper has ended: nothing writes to the pixels any more.
        std::string why;
        run.picture = std::move(reader.picture());
        if (run.picture.converted)
            run.pixels = reader.pixelsShared()
                             ? shared.map(run.picture.width, run.picture.height, run.picture.opaque, why)
                             : wrapPixels(run.picture);
        run.status = run.picture.converted && run.pixels.isNull() ? Status::BadAnswer : Status::Finished;
        if (run.status == Status::BadAnswer)
            run.detail =
                tr("The import helper sent an invalid answer (%1).").arg(QString::fromStdString(why));
    }
    return run;
}
