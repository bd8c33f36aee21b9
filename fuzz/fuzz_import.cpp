// The import path as the editor runs it: LoadImageFile hands the file to the import
// helper (FreeImage under its limits), checks the framed answer and renders the bitmap
// into the import window's surface. A crash or runaway inside the helper is an answer
// like any other here; what must never fail is the editor's side: the protocol reader,
// the rendering and the error paths. A CommandError is the intended refusal.
#include "FuzzSupport.h"
#include "import/ImageLoader.h"
#include "platform/CommandError.h"
#include "platform/Surface.h"
#include "support/ScriptedDialogs.h"

#include <cstdio>

namespace {
ScriptedDialogs* dialogs = nullptr;
ImageLoader* loader = nullptr;
Surface* box = nullptr;
QString path;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::startApplication(argc, argv);
    dialogs = new ScriptedDialogs;
    ImportHelper::Settings settings;
    settings.timeoutMs = 2000;
    settings.cpuSeconds = 2;
    loader = new ImageLoader(*dialogs, settings);
    box = new Surface(100, 100);
    path = FuzzSupport::scratchPath("img");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!FuzzSupport::writeScratch(path, data, size))
        return 0;
    dialogs->messages.clear();
    try {
        if (loader->LoadImageFile(path, *box)) {
            if (box->width() < 1 || box->height() < 1)
                std::abort();
            (void)box->pixel(box->width() - 1, box->height() - 1);
        }
    } catch (const CommandError& e) {
        if (e.description().isEmpty()) {
            std::fprintf(stderr, "a refusal without a reason\n");
            std::abort();
        }
    }
    return 0;
}
