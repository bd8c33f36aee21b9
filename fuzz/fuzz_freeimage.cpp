// FreeImage itself, in this process and without the helper's limits: the hunt for the
// inputs that crash the library, so they can be kept as regression files and replayed
// through the helper. Allocation failures are answers (run with
// ASAN_OPTIONS=allocator_may_return_null=1), crashes are findings.
#include "FuzzSupport.h"
#include "import/FreeImageLibrary.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FreeImageLibrary::DecodedPicture picture =
        FreeImageLibrary::decode(data, size, [](int, const char*) {});
    if (picture.converted && picture.pixels.size() != std::size_t(picture.width) * picture.height)
        std::abort();
    return 0;
}
