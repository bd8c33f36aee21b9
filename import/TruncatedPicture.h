#pragma once

#include <cstddef>
#include <string>

// Whether a PCX or TGA file holds all the pixel data its header promises. FreeImage's
// readers of these formats go on past the end of the data and fill the rows they could
// not read with whatever their buffers held, without a word; these checks read the
// header and walk the run-length packets (as the readers do, without decoding a pixel)
// so that such a file is refused instead. Each returns why the file is cut, or an empty
// string when its data are whole or it is not one the reader would decode.
namespace TruncatedPicture {

std::string pcx(const unsigned char* data, std::size_t size);
std::string tga(const unsigned char* data, std::size_t size);

} // namespace TruncatedPicture
