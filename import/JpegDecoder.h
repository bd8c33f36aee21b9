#pragma once

#include "files/Jpeg.h"
#include "import/FreeImageLibrary.h"

#include <cstddef>

// JPEG pictures for import: the Jpeg module's decode under the import's bounds, its
// answer in the helper's terms. It decodes from memory and knows nothing of files.
// Nothing here depends on Qt.
namespace JpegDecoder {

// A complete decode gives width * height pixels, written where store says (or into the
// picture's own words when store is empty). With a need, width and height are the
// reduced picture's and scale says by how much (fullWidth and fullHeight the file's).
// Data that end early or are corrupt, which libjpeg would paper over, give
// Failure::Damaged with libjpeg's words; so does a stream libjpeg cannot decode at all,
// and a progressive file with more scans than any encoder writes. Warnings that leave
// the pixels whole (an unknown JFIF revision or Adobe transform) reach the sink and the
// picture still decodes, unless strict (Open's rule: every warning refuses the file).
FreeImageLibrary::DecodedPicture decode(const unsigned char* data, std::size_t size,
                                        const FreeImageLibrary::MessageSink& sink,
                                        const FreeImageLibrary::PixelStore& store = {}, bool strict = false,
                                        const Jpeg::Need& need = {});

} // namespace JpegDecoder
