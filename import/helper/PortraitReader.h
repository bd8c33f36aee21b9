#pragma once

#include "import/FreeImageLibrary.h"

#include <QImage>
#include <cstddef>

// What Open reads besides JPEG, as the import helper decodes it for Open: BMP, GIF, PNG,
// TIFF and ICO through Qt's readers and no other, after the checks Open makes before it
// trusts a reader (a bitmap as long as its header says, a GIF whose first picture is
// whole, a header within ImportLimits).
namespace PortraitReader {

// The picture's fields say how it went: converted (fallback Decoded) with its size, and the
// pixels returned as Format_ARGB32 or Format_RGB32; tooLarge with the size claimed; failure
// Damaged with why; fallback NotAPicture, or Unreadable with the reader's words.
QImage read(const unsigned char* data, std::size_t size, FreeImageLibrary::DecodedPicture& picture);

// The texts a picture Qt read carries, as the answer sends them.
void keepTexts(const QImage& image, FreeImageLibrary::DecodedPicture& picture);

} // namespace PortraitReader
