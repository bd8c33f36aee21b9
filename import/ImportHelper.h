#pragma once

#include <QCoreApplication>

#include "files/PictureDecoder.h"
#include "import/HelperProtocol.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

// Runs pictoria-import-fast on one picture, and pictoria-import-helper when the first
// declines it (anything but JPEG and PNG), and collects the answer. The child gets a
// fixed environment, an address-space cap, a CPU limit, no core files and no file writes,
// and is killed when its wall-clock time runs out or the caller cancels; whatever it
// sends is checked by HelperProtocol::Reader. The pixels come back through shared memory
// (see SharedPixels), or through the pipe when none could be made. Safe to run on any
// thread.
class ImportHelper {
    Q_DECLARE_TR_FUNCTIONS(ImportHelper)

public:
    struct Settings {
        QString program;                                // empty: the helper beside the editor
        std::uint64_t memoryLimitBytes = 1024ull << 20; // RLIMIT_AS
        int cpuSeconds = 4;                             // RLIMIT_CPU
        int timeoutMs = 5000;                           // wall clock
        bool openRules = false;                         // decode as Open does (--portrait)
        // What the pixels are for: scaled to cover (or to fit inside) this size. A JPEG is
        // then decoded at the smallest DCT scale that still gives that; empty: every pixel.
        QSize need;
        bool needCover = true;
        QStringList arguments; // when set, the program gets these instead (the sandbox tests)
    };

    enum class Status {
        Finished,   // a complete, valid answer
        Crashed,    // died on a signal or exited with an error
        TimedOut,   // killed after timeoutMs
        BadAnswer,  // exited, but what it sent broke the protocol
        NotStarted, // the program could not be run
        Cancelled,  // stopped by the caller
    };

    struct Run {
        Status status = Status::NotStarted;
        QString detail; // why, for the user, when not Finished
        std::vector<HelperProtocol::Message> messages;
        std::size_t droppedMessages = 0;
        FreeImageLibrary::DecodedPicture picture; // without its pixels, which are here:
        // When picture.converted: Format_RGB32 if the helper says opaque, else ARGB32; the
        // whole picture, or under Open's rules its top-left part (HelperProtocol::pixelArea).
        // A reduced decode (picture.scale > 1) holds the file's picture made scale times smaller.
        QImage pixels;
        int exitCode = 0; // the last program's exit code, or the signal that ended it
        qint64 elapsedMs = 0;
    };

    static QString defaultProgram();
    static QString fastProgram();
    // Settings::program, when set, is run alone. cancelled, when given, is watched
    // throughout: once it is set the helper is killed and the run is Cancelled.
    static Run decode(const PictureSource& source, const Settings& settings,
                      const std::atomic_bool* cancelled = nullptr);
    static Run decode(const QString& path, const Settings& settings)
    {
        return decode(PictureSource::file(path), settings);
    }

    // What a helper wrote for a request other than a decode.
    struct Answer {
        Status status = Status::NotStarted;
        QString detail;   // why, when not Finished
        QByteArray bytes; // its standard output; Finished only when it exited with 0
    };
    // Runs the fast helper (or Settings::program) with the arguments and the bytes as its standard input (a
    // sealed memory file), under the same limits, environment and cancel as a decode. An answer longer than
    // maxAnswer bytes is a BadAnswer.
    static Answer ask(const QByteArray& input, const QStringList& arguments, const Settings& settings,
                      qsizetype maxAnswer, const std::atomic_bool* cancelled = nullptr);

private:
    // One helper on the open picture; declined when it left the file to the full helper.
    static Run runHelper(const QString& program, int pictureFd, const Settings& settings,
                         const std::atomic_bool* cancelled, bool& declined);
};
