// pictoria-import-fast: the import helper's JPEG and PNG decoders alone, without
// FreeImage or Qt, so that it starts in a few milliseconds instead of the full helper's
// tens. It takes the same arguments, enters the same sandbox and answers in the same
// frames. A file it cannot finish with the decoders alone (another format, a PNG libpng
// refuses, which Qt's readers then try, a file it cannot read) it declines: it exits
// with HelperProtocol::DeclinedExitCode before writing anything, and the editor runs the full helper.
#include "import/FreeImageLibrary.h"
#include "import/HelperProtocol.h"
#include "import/JpegDecoder.h"
#include "import/PngDecoder.h"
#include "import/helper/HelperIo.h"
#include "import/helper/Sandbox.h"
#include "import/helper/SandboxSelfTest.h"

#include <csignal>
#include <cstring>
#include <vector>

namespace {

// The signatures FreeImage identifies these formats by; no format it tries first
// begins with either.
bool isJpeg(const std::vector<unsigned char>& bytes)
{
    return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

bool isPng(const std::vector<unsigned char>& bytes)
{
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= sizeof signature && std::memcmp(bytes.data(), signature, sizeof signature) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], SandboxSelfTest::Flag) == 0)
        return SandboxSelfTest::run(argv[2], argc == 4 ? argv[3] : nullptr);
    if (!HelperIo::parseArguments(argc, argv))
        return 2;
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    if (!HelperIo::detachDiagnostics())
        return 3;
    if (!Sandbox::enter(HelperIo::answerDescriptor(), HelperIo::sharedDescriptor()).entered)
        return 5;

    std::vector<unsigned char> bytes;
    if (!HelperIo::readPicture(bytes) || !(isJpeg(bytes) || isPng(bytes)))
        return HelperProtocol::DeclinedExitCode;
    std::uint32_t* stored = nullptr;
    const FreeImageLibrary::PixelStore store = [&](std::uint32_t w, std::uint32_t h) {
        return stored = HelperIo::mapShared(w, h);
    };
    const FreeImageLibrary::PixelStore none;
    const FreeImageLibrary::PixelStore& into = HelperIo::sharedDescriptor() >= 0 ? store : none;
    FreeImageLibrary::DecodedPicture picture;
    bool ok = true;
    if (isJpeg(bytes)) {
        // libjpeg's answer is final, as in the full helper: pixels, too large or damaged.
        picture = JpegDecoder::decode(
            bytes.data(), bytes.size(),
            [&](int format, const char* message) {
                ok = ok && HelperIo::writeAll(HelperProtocol::messageFrame(format, message));
            },
            into);
    } else {
        // Only a refusal comes with a message, and a refusal is declined.
        picture = PngDecoder::decode(bytes.data(), bytes.size(), {}, into);
        if (!picture.converted && !picture.tooLarge)
            return HelperProtocol::DeclinedExitCode;
    }
    const std::uint32_t* rows = picture.pixels.empty() ? stored : picture.pixels.data();
    ok = ok && HelperIo::finish(picture, rows, picture.width);
    return ok ? 0 : 4;
}
