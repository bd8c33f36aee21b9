#include "import/JpegDecoder.h"

#include "import/ImportLimits.h"

#include <new>

namespace JpegDecoder {

FreeImageLibrary::DecodedPicture decode(const unsigned char* data, std::size_t size,
                                        const FreeImageLibrary::MessageSink& sink,
                                        const FreeImageLibrary::PixelStore& store, bool strict,
                                        const Jpeg::Need& need)
{
    FreeImageLibrary::DecodedPicture out;
    out.format = FreeImageLibrary::JpegFormat;
    Jpeg::DecodeOptions options;
    options.maxSide = ImportLimits::MaxSide;
    options.maxPixels = ImportLimits::MaxPixels;
    options.strict = strict;
    options.need = need;
    const Jpeg::PixelStore into = [&](std::uint32_t w, std::uint32_t h) -> std::uint32_t* {
        if (store)
            return store(w, h);
        try {
            out.pixels.resize(std::size_t(w) * h);
            return out.pixels.data();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    };
    // Passed on as the library's message, the first of them as FreeImage did.
    const Jpeg::WarningSink warning = [&sink](const char* message) {
        if (sink)
            sink(FreeImageLibrary::JpegFormat, message);
    };
    const Jpeg::Decoded decoded = Jpeg::decode(data, size, options, into, warning);
    out.fullWidth = decoded.width;
    out.fullHeight = decoded.height;
    switch (decoded.outcome) {
    case Jpeg::Outcome::Decoded:
        out.width = decoded.outputWidth;
        out.height = decoded.outputHeight;
        out.scale = std::uint8_t(decoded.scale);
        out.loaded = out.hasBits = out.hasInfo = out.converted = out.opaque = true;
        return out;
    case Jpeg::Outcome::TooLarge:
        out.width = decoded.width;
        out.height = decoded.height;
        out.tooLarge = true;
        return out;
    case Jpeg::Outcome::Damaged:
        break;
    }
    out.width = decoded.width;
    out.height = decoded.height;
    out.pixels.clear();
    out.pixels.shrink_to_fit();
    out.failure = FreeImageLibrary::Failure::Damaged;
    out.failureText = decoded.failure;
    return out;
}

} // namespace JpegDecoder
