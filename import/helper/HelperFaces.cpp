#include "import/helper/HelperFaces.h"

#include "import/HelperProtocol.h"
#include "import/helper/HelperIo.h"
#include "import/helper/Isolation.h"
#include "import/helper/Sandbox.h"

#include <csignal>
#include <memory>
#include <vector>

#ifdef PICTORIA_FACES
#include "faces/FaceFinder.h"

#include <QImage>
#include <algorithm>

// The detector in dlib's plain serialized form, generated at build time (face_detector_blob).
extern const unsigned char FaceDetectorBytes[];
extern const std::size_t FaceDetectorSize;
#endif

namespace HelperFaces {

namespace {

// A copy up to this size on its longest side is searched enlarged twice, so that faces down
// to about 40 of its pixels are found; a larger one (at most SandboxedFaceLocator's 1024)
// as it is, faces from about 80 pixels, in a quarter of the time.
constexpr std::uint32_t DoubledUpTo = 800;

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
    const auto finder = std::make_unique<FaceFinder>(FaceDetectorBytes, FaceDetectorSize);
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
    const QImage grey(pixels, int(width), int(height), int(width), QImage::Format_Grayscale8);
    for (const QRect& r : finder->findAtSide(
             grey, int(std::max(width, height) * (std::max(width, height) <= DoubledUpTo ? 2 : 1))))
        faces.push_back({r.x(), r.y(), r.width(), r.height()});
#endif
    return HelperIo::writeAll(HelperProtocol::facesFrame(faces) + HelperProtocol::endFrame()) ? 0 : 4;
}

} // namespace HelperFaces
