#include "import/SharedPixels.h"

#include "import/ImportLimits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Mapping {
    void* address;
    std::size_t length;
};

void unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->address, mapping->length);
    delete mapping;
}

std::string failed(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

SharedPixels::SharedPixels()
{
    m_fd = ::memfd_create("pictoria-import-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    // Above the standard descriptors, whichever of them the editor has closed: the child's
    // own standard streams take those numbers.
    if (m_fd >= 0 && m_fd <= STDERR_FILENO) {
        const int above = ::fcntl(m_fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(m_fd);
        m_fd = above;
    }
    // Pages are only taken as the helper writes them.
    if (m_fd >= 0 && ::ftruncate(m_fd, off_t(ImportLimits::MaxPixels * 4)) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

SharedPixels::~SharedPixels()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QImage SharedPixels::map(std::uint32_t width, std::uint32_t height, bool opaque, std::string& why)
{
    const std::size_t bytes = std::size_t(width) * height * 4;
    struct stat info {};
    if (m_fd < 0 || bytes == 0) {
        why = "no shared memory";
        return {};
    }
    if (::fstat(m_fd, &info) != 0) {
        why = failed("fstat");
        return {};
    }
    // A helper that cut the file must not have the picture made up of zeros.
    if (std::uint64_t(info.st_size) < bytes) {
        why = "the shared memory is smaller than the picture";
        return {};
    }
    if (::ftruncate(m_fd, off_t(bytes)) != 0) {
        why = failed("ftruncate");
        return {};
    }
    // Sealed, the file can no longer shrink under the mapping (which would raise SIGBUS
    // on a read) nor change; sealing fails while anyone still has it mapped writable.
    if (::fcntl(m_fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        why = failed("sealing the shared memory");
        return {};
    }
    if (::fstat(m_fd, &info) != 0 || std::uint64_t(info.st_size) != bytes) {
        why = "the shared memory changed size";
        return {};
    }
    // Populated at once: the pixels are read right away, and a fault per page costs more.
    void* address = ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED | MAP_POPULATE, m_fd, 0);
    if (address == MAP_FAILED) {
        why = failed("mmap");
        return {};
    }
    auto* mapping = new Mapping{address, bytes};
    QImage image(static_cast<const uchar*>(address), int(width), int(height), qsizetype(width) * 4,
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32, unmap, mapping);
    if (image.isNull()) {
        unmap(mapping);
        why = "no image of that size";
    }
    return image;
}
