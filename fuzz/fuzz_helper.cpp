// The full import helper's decode, in this process: the very function the helper runs on
// the picture it is handed (HelperDecode::decode: libjpeg-turbo, libpng, the bitmap and
// PCX/TGA length checks, FreeImage, Qt's readers), under the helper's bounds, with its
// pixels written into memory laid out as the helper's shared memory is. Without a process
// per input it runs hundreds of inputs a second and sees the coverage of every decoder.
// The helper's 1 GB address-space cap cannot be set under AddressSanitizer (its shadow
// alone is larger); an allocation above 1 GB fails here instead, as it would there.
#include "FuzzSupport.h"
#include "import/ImportLimits.h"
#include "import/helper/HelperDecode.h"

#include <cstdio>
#include <sys/mman.h>

extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {

// As large as the largest picture allowed and untouched until written, like the editor's
// memory file; the pages a decode wrote are given back after it.
std::uint32_t* shared = nullptr;
constexpr std::size_t SharedBytes = std::size_t(ImportLimits::MaxPixels) * 4;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::startApplication(argc, argv);
    FreeImageLibrary::initialise();
    void* memory = ::mmap(nullptr, SharedBytes, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED)
        std::abort();
    shared = static_cast<std::uint32_t*>(memory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::size_t storedWords = 0;
    const FreeImageLibrary::PixelStore store = [&](std::uint32_t w, std::uint32_t h) -> std::uint32_t* {
        if (std::uint64_t(w) * h * 4 > SharedBytes)
            return nullptr;
        storedWords = std::size_t(w) * h;
        return shared;
    };
    std::size_t messages = 0;
    const FreeImageLibrary::MessageSink sink = [&](int, const char* message) {
        if (!message)
            std::abort();
        ++messages;
    };
    const HelperDecode::Decoded decoded = HelperDecode::decode(data, size, sink, store);
    const FreeImageLibrary::DecodedPicture& picture = decoded.picture;

    // What the helper then sends: width x height pixels, from one of three places.
    if (picture.converted) {
        const std::size_t words = std::size_t(picture.width) * picture.height;
        if (words == 0 || !ImportLimits::withinBounds(picture.width, picture.height))
            std::abort();
        if (picture.fallback == FreeImageLibrary::Fallback::Decoded) {
            if (decoded.qtPixels.width() != int(picture.width) ||
                decoded.qtPixels.height() != int(picture.height))
                std::abort();
        } else if (!picture.pixels.empty()) {
            if (picture.pixels.size() != words)
                std::abort();
            (void)picture.pixels.back();
        } else if (storedWords != words) {
            std::fprintf(stderr, "%u x %u pixels announced, %zu stored\n", picture.width, picture.height,
                         storedWords);
            std::abort();
        } else {
            (void)*static_cast<volatile std::uint32_t*>(shared + words - 1);
        }
    }
    if (storedWords)
        ::madvise(shared, storedWords * 4, MADV_DONTNEED);
    return 0;
}
