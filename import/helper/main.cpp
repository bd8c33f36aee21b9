// pictoria-import-helper: decodes one picture with FreeImage and writes the result to
// standard output in the frames of HelperProtocol. It runs as a short-lived child of the
// editor under memory, CPU and time limits, so a library fault on a hostile file ends
// this process instead of the editor.
#include "import/FreeImageLibrary.h"
#include "import/HelperProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s picture-file\n", argv[0]);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // The frames get a descriptor of their own; anything a library prints on standard
    // output goes to standard error and cannot corrupt them.
    out = ::dup(STDOUT_FILENO);
    if (out < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 3;

    bool ok = true;
    const FreeImageLibrary::MessageSink sink = [&](int format, const char* message) {
        ok = ok && writeAll(HelperProtocol::messageFrame(format, message));
    };
    const FreeImageLibrary::DecodedPicture picture = FreeImageLibrary::decodeFile(argv[1], sink);

    ok = ok && writeAll(HelperProtocol::resultFrame(picture));
    if (picture.converted) {
        ok = ok && writeAll(HelperProtocol::pixelsHeader(std::uint32_t(picture.pixels.size())));
        ok = ok && writeAll(reinterpret_cast<const char*>(picture.pixels.data()), picture.pixels.size() * 4);
    }
    ok = ok && writeAll(HelperProtocol::endFrame());
    return ok ? 0 : 4;
}
