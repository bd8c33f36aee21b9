// pictoria-import-fast: the import helper's JPEG and PNG decoders alone, without
// FreeImage or Qt, so that it starts in a few milliseconds instead of the full helper's
// tens. It takes the same arguments, enters the same sandbox and answers in the same
// frames. A file it cannot finish with the decoders alone (another format, a PNG libpng
// refuses, which Qt's readers then try, a file it cannot read) it declines: it exits
// with HelperProtocol::DeclinedExitCode before writing anything, and the editor runs the full helper.
// Given --faces it finds the faces in a grey picture instead (HelperFaces), starting as
// quickly.
#include "import/FreeImageLibrary.h"
#include "import/HelperProtocol.h"
#include "import/JpegDecoder.h"
#include "import/PngDecoder.h"
#include "import/helper/HelperFaces.h"
#include "import/helper/HelperIo.h"
#include "import/helper/Isolation.h"
#include "import/helper/Sandbox.h"
#include "import/helper/SandboxSelfTest.h"

#include <csignal>
#include <cstring>
#include <vector>

namespace {

// The signatures FreeImage identifies these formats by; no format it tries first
// begins with either.
bool isJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}

// Open takes a JPEG by its first marker as well.
bool isPortraitJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 3 && isJpeg(data, size) && data[2] == 0xFF;
}

bool isPng(const unsigned char* data, std::size_t size)
{
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof signature && std::memcmp(data, signature, sizeof signature) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], SandboxSelfTest::Flag) == 0)
        return SandboxSelfTest::run(argv[2], argc == 4 ? argv[3] : nullptr);
    if (!HelperIo::parseArguments(argc, argv))
        return 2;
    if (HelperIo::faceSearch())
        return HelperFaces::run();
    Isolation::isolate();
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    if (!HelperIo::detachDiagnostics())
        return 3;
    if (!Sandbox::enter(HelperIo::answerDescriptor(), HelperIo::sharedDescriptor()).entered)
        return 5;

    // The file's pages as they are, without a copy; read when it cannot be mapped.
    std::vector<unsigned char> copy;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!HelperIo::mapPicture(data, size)) {
        if (!HelperIo::readPicture(copy))
            return HelperProtocol::DeclinedExitCode;
        data = copy.data();
        size = copy.size();
    }
    // Under Open's rules only JPEG is decoded here; Open reads the rest with Qt's readers.
    const bool portrait = HelperIo::portraitRules();
    const bool jpeg = portrait ? isPortraitJpeg(data, size) : isJpeg(data, size);
    if (!jpeg && (portrait || !isPng(data, size)))
        return HelperProtocol::DeclinedExitCode;
    std::uint32_t* stored = nullptr;
    const FreeImageLibrary::PixelStore store = [&](std::uint32_t w, std::uint32_t h) {
        return stored = HelperIo::mapShared(w, h);
    };
    const FreeImageLibrary::PixelStore none;
    const FreeImageLibrary::PixelStore& into = HelperIo::sharedDescriptor() >= 0 ? store : none;
    FreeImageLibrary::DecodedPicture picture;
    bool ok = true;
    if (jpeg) {
        // libjpeg's answer is final, as in the full helper: pixels, too large or damaged.
        picture = JpegDecoder::decode(
            data, size,
            [&](int format, const char* message) {
                ok = ok && HelperIo::writeAll(HelperProtocol::messageFrame(format, message));
            },
            into, portrait, HelperIo::need());
    } else {
        // Only a refusal comes with a message, and a refusal is declined.
        picture = PngDecoder::decode(data, size, {}, into);
        if (!picture.converted && !picture.tooLarge)
            return HelperProtocol::DeclinedExitCode;
    }
    const std::uint32_t* rows = picture.pixels.empty() ? stored : picture.pixels.data();
    ok = ok && HelperIo::finish(picture, rows, picture.width);
    return ok ? 0 : 4;
}
