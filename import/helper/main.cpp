// pictoria-import-helper: decodes one picture, handed over as an open descriptor on
// standard input, and writes the result to standard output in the frames of
// HelperProtocol; given --shared-pixels <descriptor> (the editor's memory file, see
// SharedPixels), the pixels go there, written by the JPEG and PNG decoders themselves.
// Before it reads the picture it enters a sandbox (see Sandbox.h). JPEG goes to
// libjpeg-turbo, PNG to libpng; every other format to FreeImage first and, when it or
// libpng gives no pixels, to Qt's image readers. A picture whose data end early is
// refused, not made up. It runs as a short-lived child of the editor under memory, CPU
// and time limits, so a decoder fault on a hostile file ends this process instead of
// the editor. pictoria-import-fast (fast_main.cpp) is its JPEG and PNG part alone.
#include "import/FreeImageLibrary.h"
#include "import/HelperProtocol.h"
#include "import/helper/HelperDecode.h"
#include "import/helper/HelperIo.h"
#include "import/helper/Isolation.h"
#include "import/helper/PortraitReader.h"
#include "import/helper/Sandbox.h"
#include "import/helper/SandboxSelfTest.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using FreeImageLibrary::DecodedPicture;
using FreeImageLibrary::Fallback;

DecodedPicture unreadable()
{
    DecodedPicture picture;
    if (errno == ENOMEM) {
        picture.failure = FreeImageLibrary::Failure::OutOfMemory;
        picture.failureText = "the file does not fit in memory";
    } else {
        picture.fallback = Fallback::Unreadable;
        picture.fallbackText = std::strerror(errno);
    }
    return picture;
}

// Some readers draw (SVG text needs fonts), which takes a GUI application, one without a
// display. Inside the sandbox nothing can be loaded, so it is made first, and every
// image plug-in and the default font are loaded by a read of content no reader takes
// and a drawing with text in it.
std::unique_ptr<QGuiApplication> startQtOffscreen(const char* program)
{
    static int argc = 3;
    static std::string name(program);
    static char platform[] = "-platform", offscreen[] = "offscreen";
    static char* argv[] = {name.data(), platform, offscreen, nullptr};
    auto application = std::make_unique<QGuiApplication>(argc, argv);
    QImageReader::supportedImageFormats();
    QByteArray nothing(64, '\x01');
    QBuffer unknown(&nothing);
    unknown.open(QIODevice::ReadOnly);
    QImageReader(&unknown).read();
    QImage::fromData(QByteArrayLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                                       "<text x=\"0\" y=\"4\" font-size=\"4\">a</text></svg>"),
                     "svg");
    return application;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], SandboxSelfTest::Flag) == 0)
        return SandboxSelfTest::run(argv[2], argc == 4 ? argv[3] : nullptr);
    if (!HelperIo::parseArguments(argc, argv)) {
        std::fprintf(stderr, "usage: %s [--shared-pixels descriptor] [--portrait] < picture-file\n", argv[0]);
        return 2;
    }
    // New namespaces while there is one thread; Qt and FreeImage are loaded inside them.
    Isolation::isolate();
    std::signal(SIGPIPE, SIG_IGN);
    // A library that tries to write a file (a cache, a log) gets an error, not a fatal
    // signal: the no-file-writes limit stays, and the decode goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!HelperIo::detachDiagnostics())
        return 3;

    // Everything the decoders load lazily is loaded before the sandbox is entered.
    FreeImageLibrary::initialise();
    const std::unique_ptr<QGuiApplication> qt = startQtOffscreen(argv[0]);
    if (!Sandbox::enter(HelperIo::answerDescriptor(), HelperIo::sharedDescriptor()).entered)
        return 5;

    bool ok = true;
    const FreeImageLibrary::MessageSink sink = [&](int format, const char* message) {
        ok = ok && HelperIo::writeAll(HelperProtocol::messageFrame(format, message));
    };
    // The file's pages as they are, without a copy (a picture may take hundreds of
    // megabytes); read into memory when it cannot be mapped.
    std::vector<unsigned char> copy;
    std::span<const unsigned char> bytes;
    DecodedPicture picture;
    const unsigned char* mapped = nullptr;
    std::size_t mappedSize = 0;
    bool read = HelperIo::mapPicture(mapped, mappedSize);
    if (read) {
        bytes = {mapped, mappedSize};
    } else {
        read = HelperIo::readPicture(copy);
        bytes = copy;
    }
    const FreeImageLibrary::PixelStore store = HelperIo::sharedDescriptor() >= 0
                                                   ? FreeImageLibrary::PixelStore(HelperIo::mapShared)
                                                   : FreeImageLibrary::PixelStore();
    std::uint32_t* stored = nullptr;
    const FreeImageLibrary::PixelStore remembered = [&](std::uint32_t w, std::uint32_t h) {
        return stored = store(w, h);
    };
    const FreeImageLibrary::PixelStore& into = store ? remembered : store;
    QImage qtPixels;
    if (!read) {
        picture = unreadable();
    } else if (HelperIo::portraitRules()) {
        qtPixels = HelperDecode::decodeAsOpenDoes(bytes.data(), bytes.size(), sink, into, picture);
    } else {
        HelperDecode::Decoded decoded = HelperDecode::decode(bytes.data(), bytes.size(), sink, into);
        picture = std::move(decoded.picture);
        qtPixels = std::move(decoded.qtPixels);
    }

    // The pixels are where the decoder put them: the shared memory, its own words, or
    // Qt's image (whose 32-bit formats have the frames' word layout).
    const std::uint32_t* rows = picture.pixels.empty() ? stored : picture.pixels.data();
    std::size_t wordsPerRow = picture.width;
    if (picture.fallback == Fallback::Decoded) {
        rows = reinterpret_cast<const std::uint32_t*>(qtPixels.constBits());
        wordsPerRow = std::size_t(qtPixels.bytesPerLine()) / 4;
    }
    ok = ok && HelperIo::finish(picture, rows, wordsPerRow);
    return ok ? 0 : 4;
}
