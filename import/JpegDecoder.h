#pragma once

#include "import/FreeImageLibrary.h"

#include <cstddef>

// JPEG pictures for import through libjpeg-turbo: the accurate integer IDCT and fancy
// upsampling (the pixels of `djpeg` with its default options), CMYK converted to RGB
// (inverted when an Adobe marker says so), the EXIF orientation not applied. It decodes
// from memory and knows nothing of files. Nothing here depends on Qt.
namespace JpegDecoder {

// A complete decode gives width * height pixels, written where store says (or into the
// picture's own words when store is empty). Data that end early or are corrupt,
// which libjpeg would paper over, give Failure::Damaged with libjpeg's words; so does a
// stream libjpeg cannot decode at all, and a progressive file with more scans than any
// encoder writes. Warnings that leave the pixels whole (an unknown JFIF revision or Adobe
// transform) reach the sink and the picture still decodes, unless strict (Open's rule:
// every warning refuses the file).
FreeImageLibrary::DecodedPicture decode(const unsigned char* data, std::size_t size,
                                        const FreeImageLibrary::MessageSink& sink,
                                        const FreeImageLibrary::PixelStore& store = {}, bool strict = false);

} // namespace JpegDecoder
