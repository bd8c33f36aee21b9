#include "import/helper/HelperFaces.h"

#include "import/HelperProtocol.h"
#include "import/helper/HelperIo.h"
#include "import/helper/Isolation.h"
#include "import/helper/Sandbox.h"

#include <csignal>
#include <memory>
#include <vector>

#ifdef PICTORIA_FACES
#include "faces/GreyFaceSearch.h"

#include <algorithm>

// The detector in dlib's plain serialized form, generated at build time (face_detector_blob).
extern const unsigned char FaceDetectorBytes[];
extern const std::size_t FaceDetectorSize;
#endif

namespace HelperFaces {

namespace {

// A copy up to DoubledUpTo pixels on its longest side (a small picture) is searched enlarged
// twice, so that faces down to about 40 of its pixels are found; a larger one (a reduced
// photo) at SearchedAs pixels, faces from about 80 of those, a tenth of the photo's longest
// side, in tens of milliseconds.
constexpr std::uint32_t DoubledUpTo = 800;
constexpr std::uint32_t SearchedAs = 800;

} // namespace

int run()
{
    Isolation::isolate();
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    if (!HelperIo::detachDiagnostics())
        return 3;
#ifdef PICTORIA_FACES
    // The detector is unpacked here, before the filter.
    const auto finder = std::make_unique<GreyFaceSearch>(FaceDetectorBytes, FaceDetectorSize);
#endif
    if (!Sandbox::enter(HelperIo::answerDescriptor()).entered)
        return 5;

    std::vector<unsigned char> request;
    std::uint32_t width = 0, height = 0;
    const unsigned char* pixels = nullptr;
    if (!HelperIo::readPicture(request) ||
        !HelperProtocol::parseFaceRequest(request.data(), request.size(), width, height, pixels))
        return 2;
    std::vector<HelperProtocol::FaceBox> faces;
#ifdef PICTORIA_FACES
    const std::uint32_t longest = std::max(width, height);
    const int side = int(longest <= DoubledUpTo ? 2 * longest : std::min(longest, SearchedAs));
    for (const GreyFaceSearch::Box& b : finder->find(pixels, int(width), int(height), width, side))
        faces.push_back({b.left, b.top, b.width, b.height});
#endif
    return HelperIo::writeAll(HelperProtocol::facesFrame(faces) + HelperProtocol::endFrame()) ? 0 : 4;
}

} // namespace HelperFaces
