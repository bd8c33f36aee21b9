#include "import/ImportHelper.h"

#include "import/SharedPixels.h"
#include "platform/StageClock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
QImage wrapPixels(FreeImageLibrary::DecodedPicture& picture, HelperProtocol::Area area)
{
    auto* words = new std::vector<std::uint32_t>(std::move(picture.pixels));
    picture.pixels.clear();
    return QImage(
        reinterpret_cast<const uchar*>(words->data()), int(area.width), int(area.height),
        qsizetype(area.width) * 4, picture.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32,
        [](void* p) { delete static_cast<std::vector<std::uint32_t>*>(p); }, words);
}

QProcessEnvironment helperEnvironment()
{
    QProcessEnvironment environment;
    for (const char* variable : HelperProtocol::Environment) {
        const QString text = QString::fromLatin1(variable);
        const qsizetype equals = text.indexOf(u'=');
        environment.insert(text.left(equals), text.mid(equals + 1));
    }
    return environment;
}

// The picture as the helper reads it, a plain file opened without waiting (a FIFO would
// block the open) or bytes in a sealed memory file; above the standard descriptors, which
// the child's own set-up replaces before the copy onto standard input is made (the
// editor's own may be closed). -1 and why when there is none.
int openPicture(const PictureSource& source, std::string& why)
{
    if (source.inMemory) {
        const int fd = ::memfd_create("pictoria-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        qsizetype written = 0;
        while (fd >= 0 && written < source.bytes.size()) {
            const ssize_t n =
                ::write(fd, source.bytes.constData() + written, std::size_t(source.bytes.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += n;
        }
        if (fd < 0 || written != source.bytes.size() ||
            ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
            why = std::strerror(errno);
            if (fd >= 0)
                ::close(fd);
            return -1;
        }
        const int above = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(fd);
        if (above < 0)
            why = std::strerror(errno);
        return above;
    }
    const int fd =
        ::open(QFile::encodeName(source.path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = S_ISREG(info.st_mode) ? std::strerror(errno) : "this is not a plain file";
        ::close(fd);
        return -1;
    }
    const int above = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    if (above < 0)
        why = std::strerror(errno);
    return above;
}

} // namespace

namespace {

// Whether `dir` is `root` or lies below it, both taken with their links resolved.
bool isWithinFolder(const QString& dir, const QString& root)
{
    const QString canonicalDir = QFileInfo(dir).canonicalFilePath();
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (canonicalDir.isEmpty() || canonicalRoot.isEmpty())
        return false;
    return canonicalDir == canonicalRoot || canonicalDir.startsWith(canonicalRoot + '/');
}

// An installed editor finds its helpers in the libexec folder beside its bin folder, a
// build-tree editor beside itself. Tests, benchmarks and fuzzers, which run from other
// folders of the build tree, take the build's own copy; a program outside the build tree
// never does, so an installed editor cannot start a helper of a build left behind.
QString locateHelper(const char* name, const char* builtCopy)
{
    if (!QCoreApplication::instance())
        return QString::fromLatin1(name);
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QStringLiteral("/" PICTORIA_HELPER_RELATIVE_DIR "/") + name, dir + '/' + name}) {
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
    if (isWithinFolder(dir, QStringLiteral(PICTORIA_BUILD_TREE)))
        return QString::fromUtf8(builtCopy);
    // Not found: a path that names the missing program, so the failure to start it says which.
    return dir + QStringLiteral("/" PICTORIA_HELPER_RELATIVE_DIR "/") + name;
}

} // namespace

QString ImportHelper::defaultProgram()
{
    return locateHelper(HelperName, PICTORIA_IMPORT_HELPER);
}

QString ImportHelper::fastProgram()
{
    return locateHelper(FastName, PICTORIA_IMPORT_FAST);
}

ImportHelper::Run ImportHelper::decode(const PictureSource& source, const Settings& settings,
                                       const std::atomic_bool* cancelled)
{
    Run run;
    QElapsedTimer clock;
    clock.start();

    // The editor opens the picture; the helper gets the descriptor as its standard input
    // and never opens a path itself.
    std::string why;
    const int pictureFd = openPicture(source, why);
    if (pictureFd < 0) {
        run.status = Status::Finished;
        run.picture.fallback = FreeImageLibrary::Fallback::Unreadable;
        run.picture.fallbackText = why;
        return run;
    }
    const auto closePicture = qScopeGuard([pictureFd] { ::close(pictureFd); });

    bool declined = true;
    if (settings.program.isEmpty())
        run = runHelper(fastProgram(), pictureFd, settings, cancelled, declined);
    if (declined)
        run = runHelper(settings.program.isEmpty() ? defaultProgram() : settings.program, pictureFd, settings,
                        cancelled, declined);
    run.elapsedMs = clock.elapsed();
    return run;
}

namespace {

// A helper process reads its input from inputFd as standard input, keeps sharedFd (when
// there is one) open across exec, and runs under the settings' memory and CPU limits.
void prepareHelper(QProcess& process, const ImportHelper::Settings& settings, int inputFd, int sharedFd)
{
    // Never the editor's own standard error: the child may not write files, and a
    // desktop session's log is one. The helper drops its diagnostics besides.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setInputChannelMode(QProcess::ManagedInputChannel);
    // Nothing of the editor's environment: no secret in it reaches the decoder.
    process.setProcessEnvironment(helperEnvironment());
    const rlim_t memory = rlim_t(settings.memoryLimitBytes);
    const rlim_t cpu = rlim_t(settings.cpuSeconds);
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([memory, cpu, inputFd, sharedFd] {
        if (::dup2(inputFd, STDIN_FILENO) < 0)
            ::_exit(127);
        if (sharedFd >= 0 && ::fcntl(sharedFd, F_SETFD, 0) != 0)
            ::_exit(127);
        limit(RLIMIT_AS, memory);
        limit(RLIMIT_CPU, cpu);
        limit(RLIMIT_CORE, 0);
        limit(RLIMIT_FSIZE, 0);
    });
}

} // namespace

ImportHelper::Run ImportHelper::runHelper(const QString& program, int pictureFd, const Settings& settings,
                                          const std::atomic_bool* cancelled, bool& declined)
{
    Run run;
    declined = false;
    // Each helper reads the picture from its start; the descriptors share one offset.
    ::lseek(pictureFd, 0, SEEK_SET);
    QProcess process;
    // The pixels' memory keeps its number in the child, which learns it from its arguments.
    SharedPixels shared;
    const int sharedFd = shared.descriptor();
    QStringList arguments = settings.arguments;
    if (arguments.isEmpty() && sharedFd >= 0)
        arguments << QStringLiteral("--shared-pixels") << QString::number(sharedFd);
    if (settings.arguments.isEmpty() && settings.openRules)
        arguments << QString::fromLatin1(HelperProtocol::PortraitArgument);
    if (settings.arguments.isEmpty() && !settings.openRules && !settings.need.isEmpty())
        arguments << QString::fromLatin1(settings.needCover ? HelperProtocol::CoverArgument
                                                            : HelperProtocol::FitArgument)
                  << QStringLiteral("%1x%2").arg(settings.need.width()).arg(settings.need.height());
    prepareHelper(process, settings, pictureFd, sharedFd);
    StageClock::mark("helper-starting");
    process.start(program, arguments);
    if (!process.waitForStarted(settings.timeoutMs)) {
        declined = program == fastProgram(); // the full helper is tried instead
        run.status = Status::NotStarted;
        run.detail = tr("The import helper could not be started (%1).").arg(process.errorString());
        return run;
    }
    process.closeWriteChannel();

    HelperProtocol::Reader reader(sharedFd >= 0, settings.openRules);
    QDeadlineTimer deadline(settings.timeoutMs);
    bool timedOut = false;
    bool stopped = false;
    bool answered = false;
    auto drain = [&] {
        const QByteArray chunk = process.readAllStandardOutput();
        answered = answered || !chunk.isEmpty();
        if (!chunk.isEmpty())
            reader.feed(chunk.constData(), std::size_t(chunk.size()));
    };
    while (process.state() != QProcess::NotRunning) {
        if (cancelled && cancelled->load()) {
            stopped = true;
            break;
        }
        if (deadline.hasExpired()) {
            timedOut = true;
            break;
        }
        // Short waits: a cancel is seen within one of them.
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 40)));
        drain();
        if (reader.failed())
            break;
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(2000);
    }
    drain();
    StageClock::mark("helper-ended");
    run.exitCode = process.exitCode();
    if (stopped) {
        run.status = Status::Cancelled;
        return run;
    }

    if (!timedOut && !answered && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == HelperProtocol::DeclinedExitCode && program == fastProgram()) {
        declined = true;
        return run;
    }
    run.messages = reader.messages();
    run.droppedMessages = reader.droppedMessages();
    if (timedOut) {
        run.status = Status::TimedOut;
        run.detail = tr("The picture took longer than %1 seconds to decode, so reading it was stopped.")
                         .arg(settings.timeoutMs / 1000.0);
    } else if (reader.failed()) {
        run.status = Status::BadAnswer;
        run.detail =
            tr("The import helper sent an invalid answer (%1).").arg(QString::fromStdString(reader.error()));
    } else if (process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0) {
        run.status = Status::Crashed;
        run.detail = tr("The image library failed while decoding this picture (%1), so reading it "
                        "was stopped.")
                         .arg(process.exitStatus() == QProcess::CrashExit
                                  ? tr("the decoder crashed or ran out of its limits")
                                  : tr("exit code %1").arg(process.exitCode()));
    } else if (!reader.complete()) {
        run.status = Status::BadAnswer;
        run.detail = tr("The import helper ended without a complete answer.");
    } else {
        // Only now that the helper has ended: nothing writes to the pixels any more.
        std::string why;
        const HelperProtocol::Area area = reader.area();
        run.picture = std::move(reader.picture());
        if (run.picture.converted)
            run.pixels = reader.pixelsShared() ? shared.map(area.width, area.height, run.picture.opaque, why)
                                               : wrapPixels(run.picture, area);
        StageClock::mark("helper-pixels-mapped");
        run.status = run.picture.converted && run.pixels.isNull() ? Status::BadAnswer : Status::Finished;
        if (run.status == Status::BadAnswer)
            run.detail =
                tr("The import helper sent an invalid answer (%1).").arg(QString::fromStdString(why));
    }
    return run;
}

ImportHelper::Answer ImportHelper::ask(const QByteArray& input, const QStringList& arguments,
                                       const Settings& settings, qsizetype maxAnswer,
                                       const std::atomic_bool* cancelled)
{
    Answer answer;
    std::string why;
    const int inputFd = openPicture(PictureSource::data(input), why);
    if (inputFd < 0) {
        answer.detail = QString::fromLocal8Bit(why.c_str());
        return answer;
    }
    const auto closeInput = qScopeGuard([inputFd] { ::close(inputFd); });
    // The helper reads from the start; writing the bytes left the offset at their end.
    ::lseek(inputFd, 0, SEEK_SET);
    QProcess process;
    prepareHelper(process, settings, inputFd, -1);
    process.start(settings.program.isEmpty() ? fastProgram() : settings.program, arguments);
    if (!process.waitForStarted(settings.timeoutMs)) {
        answer.detail = tr("The import helper could not be started (%1).").arg(process.errorString());
        return answer;
    }
    process.closeWriteChannel();
    QDeadlineTimer deadline(settings.timeoutMs);
    bool tooLong = false;
    while (process.state() != QProcess::NotRunning && !tooLong) {
        if (cancelled && cancelled->load()) {
            answer.status = Status::Cancelled;
            break;
        }
        if (deadline.hasExpired()) {
            answer.status = Status::TimedOut;
            answer.detail = tr("The import helper took longer than %1 seconds, so it was stopped.")
                                .arg(settings.timeoutMs / 1000.0);
            break;
        }
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 40)));
        answer.bytes += process.readAllStandardOutput();
        tooLong = answer.bytes.size() > maxAnswer;
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(2000);
    }
    if (answer.status == Status::Cancelled || answer.status == Status::TimedOut)
        return answer;
    answer.bytes += process.readAllStandardOutput();
    if (tooLong || answer.bytes.size() > maxAnswer) {
        answer.status = Status::BadAnswer;
        answer.detail = tr("The import helper sent an invalid answer (it is too long).");
    } else if (process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0) {
        answer.status = Status::Crashed;
        answer.detail = process.exitStatus() == QProcess::CrashExit
                            ? tr("The import helper crashed or ran out of its limits.")
                            : tr("The import helper ended with exit code %1.").arg(process.exitCode());
    } else {
        answer.status = Status::Finished;
    }
    return answer;
}
