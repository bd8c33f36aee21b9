#pragma once

#include "import/FreeImageLibrary.h"

#include <cstddef>

// PNG pictures for import through libpng: the samples as stored (the file's gamma is
// not applied), palettes and grey expanded, transparency from an alpha channel or a
// tRNS chunk, 16-bit samples cut to their high byte, interlaced files in full. It
// decodes from memory and knows nothing of files. Nothing here depends on Qt.
namespace PngDecoder {

// A complete decode gives width * height pixels, written where store says (or into the
// picture's own words when store is empty). A file libpng refuses (damaged, cut short,
// a bad checksum) gives no pixels, and libpng's words reach the sink as the library's
// message; a header beyond ImportLimits is tooLarge before any pixel is allocated.
FreeImageLibrary::DecodedPicture decode(const unsigned char* data, std::size_t size,
                                        const FreeImageLibrary::MessageSink& sink,
                                        const FreeImageLibrary::PixelStore& store = {});

} // namespace PngDecoder
