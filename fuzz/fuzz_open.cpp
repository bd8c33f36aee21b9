// The portrait open path: the file through the codec service's decoder (the sandboxed
// helper, as the editor runs it) and, when it decodes, the top-left crop into the
// portrait, drawn by the view. Any result is fine as long as nothing crashes, leaks or
// misbehaves, and a loaded portrait is always 48 x 56.
#include "FuzzSupport.h"
#include "canvas/PortraitCanvas.h"
#include "document/PortraitDocument.h"
#include "files/cGdiPlus.h"
#include "import/SandboxedDecoder.h"
#include "platform/Surface.h"

#include <cstdio>

namespace {
PortraitDocument* document = nullptr;
PortraitCanvas* canvas = nullptr;
SandboxedDecoder* decoder = nullptr;
cGdiPlus* gdip = nullptr;
QString path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::startApplication(argc, argv);
    document = new PortraitDocument;
    canvas = new PortraitCanvas(*document);
    decoder = new SandboxedDecoder;
    gdip = new cGdiPlus;
    gdip->setDecoder(decoder);
    path = FuzzSupport::scratchPath("jpg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!FuzzSupport::writeScratch(path, data, size))
        return 0;
    const QImage picture = gdip->FilenameToIPicture(path);
    if (picture.isNull()) {
        if (gdip->lastErrorDetail().isEmpty()) {
            std::fprintf(stderr, "a refused file came without a reason\n");
            std::abort();
        }
        return 0;
    }
    if (picture.width() > cGdiPlus::MaxSide || picture.height() > cGdiPlus::MaxSide)
        std::abort();
    document->loadPortrait(picture);
    if (document->picPreview().width() != 48 || document->picPreview().height() != 56 ||
        canvas->picFace().size() != canvas->viewSize())
        std::abort();
    return 0;
}
