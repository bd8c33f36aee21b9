#pragma once

#include "files/Jpeg.h"
#include "import/FreeImageLibrary.h"

#include <QImage>
#include <cstddef>

// The full import helper's decode of one picture's bytes, apart from the process around
// it (arguments, sandbox, pipe, shared memory): JPEG through libjpeg-turbo and PNG
// through libpng, both writing into the pixel store when there is one; a bitmap shorter
// than its header refused; every other format through FreeImage; and Qt's readers, under
// the same bounds, for a file none of those gave pixels for and none refused. The
// helper runs it once per process; the in-process fuzz target runs it on every input.
namespace HelperDecode {

struct Decoded {
    FreeImageLibrary::DecodedPicture picture;
    // Qt's pixels, when picture.fallback is Fallback::Decoded.
    QImage qtPixels;
};

// A need lets a JPEG be decoded reduced (see Jpeg::Need).
Decoded decode(const unsigned char* data, std::size_t size, const FreeImageLibrary::MessageSink& sink,
               const FreeImageLibrary::PixelStore& store, const Jpeg::Need& need = {});

// Open's rules: JPEG through libjpeg-turbo with every warning refusing it; the other
// formats Open takes through Qt's readers alone (PortraitReader). Qt's pixels are
// returned; a JPEG's are in the store or the picture's own words.
QImage decodeAsOpenDoes(const unsigned char* data, std::size_t size,
                        const FreeImageLibrary::MessageSink& sink, const FreeImageLibrary::PixelStore& store,
                        FreeImageLibrary::DecodedPicture& picture);

} // namespace HelperDecode
