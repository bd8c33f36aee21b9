// pictoria-import-helper: decodes one picture, handed over as an open descriptor on
// standard input, and writes the result to standard output in the frames of
// HelperProtocol. Given --shared-pixels <descriptor> (a memory file of the editor's, see
// SharedPixels), the pixels go there, written by the decoder itself, and only their
// frame through the pipe. Before it reads the picture it enters a sandbox (see
// Sandbox.h). JPEG goes to libjpeg-turbo, PNG to libpng; every other format to FreeImage
// first and, when it gives no pixels, to Qt's image readers, as do JPEG and PNG files
// those refuse. A picture whose data end early is refused, not made up. It runs as a short-lived child of the
// editor under memory, CPU and time limits, so a decoder fault on a hostile file ends this process instead of
// the editor.
#include "import/FreeImageLibrary.h"
#include "import/HelperProtocol.h"
#include "import/ImportLimits.h"
#include "import/JpegDecoder.h"
#include "import/PngDecoder.h"
#include "import/helper/Sandbox.h"
#include "import/helper/SandboxSelfTest.h"
#include "platform/BitmapHeader.h"
#include "platform/BoundedImageReader.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using FreeImageLibrary::DecodedPicture;
using FreeImageLibrary::Fallback;

int out = -1;

// The editor's memory for the pixels, -1 without one, and the helper's writable mapping
// of its start once a decoder asked for it.
int sharedFd = -1;
std::uint32_t* sharedPixels = nullptr;

bool writeAll(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(out, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool writeAll(const std::string& s)
{
    return writeAll(s.data(), s.size());
}

// The frames get a descriptor of their own, and whatever the libraries print goes
// nowhere: an inherited standard error may be a regular file, which the no-file-writes
// limit turns into a fatal SIGXFSZ on the first warning, or closed, and then its number
// would be handed out to the next file opened.
bool detachDiagnostics()
{
    out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (out < 0)
        return false;
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0)
        return false;
    const bool ok = ::dup2(null, STDOUT_FILENO) >= 0 && ::dup2(null, STDERR_FILENO) >= 0;
    if (null > STDERR_FILENO)
        ::close(null);
    return ok;
}

// The picture comes as the editor's open descriptor on standard input; the helper never
// opens a path. The whole file is read into memory once, and every decoder works on
// those bytes. False, with errno set, when it cannot be read.
bool readPicture(std::vector<unsigned char>& bytes)
{
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return false;
    }
    try {
        bytes.resize(std::size_t(info.st_size));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(STDIN_FILENO, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    return true;
}

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

// A bitmap shorter than its header promises: readers fill the missing rows with black.
// Sizes beyond the bound are left to the decoder, which refuses them as too large.
bool bitmapCut(const std::vector<unsigned char>& bytes, DecodedPicture& picture)
{
    const std::size_t head = std::min<std::size_t>(bytes.size(), BitmapHeader::HeadBytes);
    const BitmapHeader header = BitmapHeader::parse(
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(head)));
    if (!header.valid ||
        !ImportLimits::withinBounds(std::uint64_t(header.size.width()),
                                    std::uint64_t(header.size.height())) ||
        std::uint64_t(bytes.size()) >= std::uint64_t(header.bytesNeeded))
        return false;
    picture.format = FreeImageLibrary::BmpFormat;
    picture.failure = FreeImageLibrary::Failure::Damaged;
    picture.failureText = "the bitmap is shorter than its header says";
    return true;
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

// Qt's readers on a file the library gave no pixels for, under the same bound.
QImage readWithQt(const std::vector<unsigned char>& bytes, DecodedPicture& picture)
{
    QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer file(&data);
    file.open(QIODevice::ReadOnly);
    const BoundedImageReader reader{int(ImportLimits::MaxSide), qint64(ImportLimits::MaxPixels)};
    BoundedImageReader::Result result;
    try {
        result = reader.read(file);
    } catch (const std::bad_alloc&) {
        result.outcome = BoundedImageReader::Outcome::Damaged;
        result.detail = QStringLiteral("out of memory");
    }
    picture.fallbackText = result.detail.toStdString();
    switch (result.outcome) {
    case BoundedImageReader::Outcome::Decoded:
        picture.fallback = Fallback::Decoded;
        picture.width = std::uint32_t(result.image.width());
        picture.height = std::uint32_t(result.image.height());
        picture.converted = true;
        return result.image;
    case BoundedImageReader::Outcome::TooLarge:
        picture.fallback = Fallback::TooLarge;
        picture.tooLarge = true;
        picture.width = std::uint32_t(result.claimedSize.width());
        picture.height = std::uint32_t(result.claimedSize.height());
        break;
    case BoundedImageReader::Outcome::NotAPicture:
        picture.fallback = Fallback::NotAPicture;
        break;
    case BoundedImageReader::Outcome::Damaged:
        picture.fallback = Fallback::Damaged;
        break;
    case BoundedImageReader::Outcome::Unreadable:
        picture.fallback = Fallback::Unreadable;
        break;
    }
    return {};
}

// The descriptor the editor named, which must be a file at least that large: a mapping
// past its end would fault on the first write.
int sharedDescriptor(const char* text)
{
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    struct stat info {};
    if (*text == '\0' || *end != '\0' || fd <= STDERR_FILENO || fd > 65535 || ::fstat(int(fd), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return -1;
    return int(fd);
}

std::uint32_t* mapShared(std::uint32_t width, std::uint32_t height)
{
    const std::size_t bytes = std::size_t(width) * height * 4;
    struct stat info {};
    if (sharedFd < 0 || bytes == 0 || ::fstat(sharedFd, &info) != 0 || std::uint64_t(info.st_size) < bytes)
        return nullptr;
    void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, sharedFd, 0);
    sharedPixels = address == MAP_FAILED ? nullptr : static_cast<std::uint32_t*>(address);
    return sharedPixels;
}

// Qt's 32-bit formats have the frames' word layout, one row after another.
bool writeRows(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        if (!writeAll(reinterpret_cast<const char*>(image.constScanLine(y)), std::size_t(image.width()) * 4))
            return false;
    return true;
}

// Pixels FreeImage or Qt's readers gave, copied into the shared memory; false when it
// cannot hold them.
bool placeShared(const DecodedPicture& picture, const QImage& qtPixels)
{
    std::uint32_t* to = mapShared(picture.width, picture.height);
    if (!to)
        return false;
    if (picture.fallback != Fallback::Decoded) {
        std::memcpy(to, picture.pixels.data(), picture.pixels.size() * 4);
        return true;
    }
    for (int y = 0; y < qtPixels.height(); ++y)
        std::memcpy(to + std::size_t(y) * picture.width, qtPixels.constScanLine(y),
                    std::size_t(picture.width) * 4);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], SandboxSelfTest::Flag) == 0)
        return SandboxSelfTest::run(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 3 && std::strcmp(argv[1], "--shared-pixels") == 0)
        sharedFd = sharedDescriptor(argv[2]);
    if (argc != 1 && sharedFd < 0) {
        std::fprintf(stderr, "usage: %s [--shared-pixels descriptor] < picture-file\n", argv[0]);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // A library that tries to write a file (a cache, a log) gets an error, not a fatal
    // signal: the no-file-writes limit stays, and the decode goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!detachDiagnostics())
        return 3;

    // Everything the decoders load lazily is loaded before the sandbox is entered.
    FreeImageLibrary::initialise();
    const std::unique_ptr<QGuiApplication> qt = startQtOffscreen(argv[0]);
    if (!Sandbox::enter(out, sharedFd).entered)
        return 5;

    bool ok = true;
    const FreeImageLibrary::MessageSink sink = [&](int format, const char* message) {
        ok = ok && writeAll(HelperProtocol::messageFrame(format, message));
    };
    std::vector<unsigned char> bytes;
    DecodedPicture picture;
    const bool read = readPicture(bytes);
    if (!read) {
        picture = unreadable();
    } else {
        const int format = FreeImageLibrary::identify(bytes.data(), bytes.size());
        const FreeImageLibrary::PixelStore store =
            sharedFd >= 0 ? FreeImageLibrary::PixelStore(mapShared) : FreeImageLibrary::PixelStore();
        if (format == FreeImageLibrary::JpegFormat)
            picture = JpegDecoder::decode(bytes.data(), bytes.size(), sink, store);
        else if (format == FreeImageLibrary::PngFormat)
            picture = PngDecoder::decode(bytes.data(), bytes.size(), sink, store);
        else if (format != FreeImageLibrary::BmpFormat || !bitmapCut(bytes, picture))
            picture = FreeImageLibrary::decode(bytes.data(), bytes.size(), sink);
    }
    QImage qtPixels;
    const bool refused = picture.tooLarge || picture.failure == FreeImageLibrary::Failure::Damaged;
    if (read && !picture.converted && !refused)
        qtPixels = readWithQt(bytes, picture);

    // Pixels the JPEG or PNG decoder wrote straight into the shared memory stay there;
    // any others are copied in, or sent through the pipe when they do not fit.
    const bool decodedShared =
        sharedPixels && picture.converted && picture.fallback != Fallback::Decoded && picture.pixels.empty();
    const bool shared =
        decodedShared || (picture.converted && sharedFd >= 0 && placeShared(picture, qtPixels));
    ok = ok && writeAll(HelperProtocol::resultFrame(picture));
    if (picture.converted && shared) {
        ok = ok && writeAll(HelperProtocol::sharedPixelsFrame(picture.width * picture.height));
    } else if (picture.converted) {
        ok = ok && writeAll(HelperProtocol::pixelsHeader(picture.width * picture.height));
        if (picture.fallback == Fallback::Decoded)
            ok = ok && writeRows(qtPixels);
        else
            ok = ok &&
                 writeAll(reinterpret_cast<const char*>(picture.pixels.data()), picture.pixels.size() * 4);
    }
    ok = ok && writeAll(HelperProtocol::endFrame());
    return ok ? 0 : 4;
}
