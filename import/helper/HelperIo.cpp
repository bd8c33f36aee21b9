#include "import/helper/HelperIo.h"

#include "import/HelperProtocol.h"
#include "import/ImportLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace HelperIo {

namespace {

int out = -1;
int sharedFd = -1;
Jpeg::Need needed;
bool portrait = false;
bool faces = false;
// The helper's writable mapping of the shared memory's start, once a decoder asked.
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

// The descriptor the editor named, which must be a file: a mapping past its end would
// fault on the first write, so its size is checked again before each mapping.
int parseDescriptor(const char* text)
{
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    struct stat info {};
    if (*text == '\0' || *end != '\0' || fd <= STDERR_FILENO || fd > 65535 || ::fstat(int(fd), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return -1;
    return int(fd);
}

bool opaque(const std::uint32_t* rows, std::uint32_t width, std::uint32_t height, std::size_t wordsPerRow)
{
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t* row = rows + wordsPerRow * y;
        if (!std::all_of(row, row + width, [](std::uint32_t p) { return p >> 24 == 0xFF; }))
            return false;
    }
    return true;
}

} // namespace

bool parseArguments(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], HelperProtocol::PortraitArgument) == 0 && !portrait) {
            portrait = true;
        } else if ((std::strcmp(argv[i], HelperProtocol::CoverArgument) == 0 ||
                    std::strcmp(argv[i], HelperProtocol::FitArgument) == 0) &&
                   i + 1 < argc && needed.width == 0) {
            needed.cover = std::strcmp(argv[i], HelperProtocol::CoverArgument) == 0;
            unsigned w = 0, h = 0;
            char end = 0;
            if (std::sscanf(argv[++i], "%ux%u%c", &w, &h, &end) != 2 || w == 0 || h == 0 ||
                w > ImportLimits::MaxSide || h > ImportLimits::MaxSide)
                return false;
            needed.width = w;
            needed.height = h;
        } else if (std::strcmp(argv[i], HelperProtocol::FacesArgument) == 0 && argc == 2) {
            faces = true;
        } else if (std::strcmp(argv[i], "--shared-pixels") == 0 && i + 1 < argc && sharedFd < 0) {
            sharedFd = parseDescriptor(argv[++i]);
            if (sharedFd < 0)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool portraitRules()
{
    return portrait;
}

Jpeg::Need need()
{
    return needed;
}

bool faceSearch()
{
    return faces;
}

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

int answerDescriptor()
{
    return out;
}

int sharedDescriptor()
{
    return sharedFd;
}

bool writeAll(const std::string& frame)
{
    return writeAll(frame.data(), frame.size());
}

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

bool mapPicture(const unsigned char*& data, std::size_t& size)
{
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    void* address =
        ::mmap(nullptr, std::size_t(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, STDIN_FILENO, 0);
    if (address == MAP_FAILED)
        return false;
    data = static_cast<const unsigned char*>(address);
    size = std::size_t(info.st_size);
    return true;
}

std::uint32_t* mapShared(std::uint32_t width, std::uint32_t height)
{
    const std::size_t bytes = std::size_t(width) * height * 4;
    struct stat info {};
    if (sharedFd < 0 || bytes == 0 || ::fstat(sharedFd, &info) != 0 || std::uint64_t(info.st_size) < bytes)
        return nullptr;
    void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, sharedFd, 0);
    if (address == MAP_FAILED)
        return sharedPixels = nullptr;
    // Every page of a new memory file costs a fault when first written, together a good
    // part of a large picture's decode; a second thread takes them ahead of the decoder,
    // changing none.
    try {
        std::thread([address, bytes] { ::madvise(address, bytes, MADV_POPULATE_WRITE); }).detach();
    } catch (const std::system_error&) {
    }
    return sharedPixels = static_cast<std::uint32_t*>(address);
}

bool finish(FreeImageLibrary::DecodedPicture& picture, const std::uint32_t* rows, std::size_t wordsPerRow)
{
    const HelperProtocol::Area area = HelperProtocol::pixelArea(picture.width, picture.height, portrait);
    const std::uint32_t w = area.width, h = area.height;
    bool shared = picture.converted && sharedPixels && rows == sharedPixels;
    if (shared && wordsPerRow != w) {
        // The decoder wrote the whole picture there; its top-left part is moved to the
        // start, row by row, each to a place at or before its own.
        for (std::uint32_t y = 0; y < h; ++y)
            std::memmove(sharedPixels + std::size_t(y) * w, rows + wordsPerRow * y, std::size_t(w) * 4);
        wordsPerRow = w;
    }
    if (picture.converted && !shared && sharedFd >= 0) {
        // Pixels FreeImage or Qt's readers gave are copied in, or sent through the pipe
        // when the memory cannot hold them.
        if (std::uint32_t* to = mapShared(w, h)) {
            for (std::uint32_t y = 0; y < h; ++y)
                std::memcpy(to + std::size_t(y) * w, rows + wordsPerRow * y, std::size_t(w) * 4);
            rows = to;
            wordsPerRow = w;
            shared = true;
        }
    }
    if (picture.converted && !picture.opaque)
        picture.opaque = opaque(rows, w, h, wordsPerRow);
    bool ok = writeAll(HelperProtocol::resultFrame(picture));
    if (picture.converted && shared) {
        ok = ok && writeAll(HelperProtocol::sharedPixelsFrame(w * h));
    } else if (picture.converted) {
        ok = ok && writeAll(HelperProtocol::pixelsHeader(w * h));
        for (std::uint32_t y = 0; y < h && ok; ++y)
            ok = writeAll(reinterpret_cast<const char*>(rows + wordsPerRow * y), std::size_t(w) * 4);
    }
    for (std::size_t i = 0; i < picture.texts.size() && i < HelperProtocol::MaxTexts; ++i)
        ok = ok && writeAll(HelperProtocol::textFrame(picture.texts[i].first, picture.texts[i].second));
    return ok && writeAll(HelperProtocol::endFrame());
}

} // namespace HelperIo
