// pictoria-import-helper: decodes one picture and writes the result to standard output in
// the frames of HelperProtocol. JPEG goes to libjpeg-turbo; every other format to FreeImage
// first and, when it gives no pixels, to Qt's image readers. A picture whose data end
// early is refused, not made up. It runs as a short-lived child of the editor under
// memory, CPU and time limits, so a decoder fault on a hostile file ends this process
// instead of the editor.
#include "import/FreeImageLibrary.h"
#include "import/HelperProtocol.h"
#include "import/ImportLimits.h"
#include "import/JpegDecoder.h"
#include "platform/BitmapHeader.h"
#include "platform/BoundedImageReader.h"

#include <QFile>
#include <QGuiApplication>
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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using FreeImageLibrary::DecodedPicture;
using FreeImageLibrary::Fallback;

int out = -1;

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

// The one place the helper reads the file itself: up to limit bytes from its start, and
// the file's whole size. False, with errno set, when it cannot be read.
bool readFile(const char* path, std::size_t limit, std::vector<unsigned char>& bytes, std::uint64_t& size)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    size = ok ? std::uint64_t(info.st_size) : 0;
    try {
        bytes.resize(std::size_t(std::min<std::uint64_t>(size, limit)));
    } catch (const std::bad_alloc&) {
        ok = false;
        errno = ENOMEM;
    }
    std::size_t got = 0;
    while (ok && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

// JPEG from the file's bytes, decoded in memory.
DecodedPicture decodeJpeg(const char* path, const FreeImageLibrary::MessageSink& sink)
{
    DecodedPicture picture;
    std::vector<unsigned char> bytes;
    std::uint64_t size = 0;
    if (!readFile(path, SIZE_MAX, bytes, size)) {
        picture.format = FreeImageLibrary::JpegFormat;
        if (errno == ENOMEM) {
            picture.failure = FreeImageLibrary::Failure::OutOfMemory;
            picture.failureText = "the file does not fit in memory";
        } else {
            picture.fallback = Fallback::Unreadable;
            picture.fallbackText = std::strerror(errno);
        }
        return picture;
    }
    return JpegDecoder::decode(bytes.data(), bytes.size(), sink);
}

// A bitmap shorter than its header promises: readers fill the missing rows with black.
// Sizes beyond the bound are left to the decoder, which refuses them as too large.
bool bitmapCut(const char* path, DecodedPicture& picture)
{
    std::vector<unsigned char> head;
    std::uint64_t size = 0;
    if (!readFile(path, BitmapHeader::HeadBytes, head, size))
        return false; // the decoder meets the same failure and says so
    const BitmapHeader header =
        BitmapHeader::parse(QByteArray(reinterpret_cast<const char*>(head.data()), qsizetype(head.size())));
    if (!header.valid ||
        !ImportLimits::withinBounds(std::uint64_t(header.size.width()),
                                    std::uint64_t(header.size.height())) ||
        size >= std::uint64_t(header.bytesNeeded))
        return false;
    picture.format = FreeImageLibrary::BmpFormat;
    picture.failure = FreeImageLibrary::Failure::Damaged;
    picture.failureText = "the bitmap is shorter than its header says";
    return true;
}

// Some readers draw (SVG text needs fonts), which takes a GUI application; one without a
// display is made only when Qt's readers are needed.
std::unique_ptr<QGuiApplication> startQtOffscreen(const char* program)
{
    static int argc = 3;
    static std::string name(program);
    static char platform[] = "-platform", offscreen[] = "offscreen";
    static char* argv[] = {name.data(), platform, offscreen, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Qt's readers on a file the library gave no pixels for, under the same bound.
QImage readWithQt(const char* path, DecodedPicture& picture)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly)) {
        picture.fallback = Fallback::Unreadable;
        picture.fallbackText = file.errorString().toStdString();
        return {};
    }
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

// Qt's 32-bit formats have the frames' word layout, one row after another.
bool writeRows(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        if (!writeAll(reinterpret_cast<const char*>(image.constScanLine(y)), std::size_t(image.width()) * 4))
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s picture-file\n", argv[0]);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // A library that tries to write a file (a cache, a log) gets an error, not a fatal
    // signal: the no-file-writes limit stays, and the decode goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!detachDiagnostics())
        return 3;

    bool ok = true;
    const FreeImageLibrary::MessageSink sink = [&](int format, const char* message) {
        ok = ok && writeAll(HelperProtocol::messageFrame(format, message));
    };
    const int format = FreeImageLibrary::identify(argv[1]);
    DecodedPicture picture;
    if (format == FreeImageLibrary::JpegFormat)
        picture = decodeJpeg(argv[1], sink);
    else if (format != FreeImageLibrary::BmpFormat || !bitmapCut(argv[1], picture))
        picture = FreeImageLibrary::decodeFile(argv[1], sink);
    QImage qtPixels;
    std::unique_ptr<QGuiApplication> qt;
    const bool refused = picture.tooLarge || picture.failure == FreeImageLibrary::Failure::Damaged ||
                         picture.fallback == Fallback::Unreadable;
    if (!picture.converted && !refused) {
        qt = startQtOffscreen(argv[0]);
        qtPixels = readWithQt(argv[1], picture);
    }

    ok = ok && writeAll(HelperProtocol::resultFrame(picture));
    if (picture.converted) {
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
