#pragma once

#include "files/Jpeg.h"
#include "import/FreeImageLibrary.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What both import helper programs do around a decode: their answer descriptor, the
// picture read from standard input, the editor's shared memory for the pixels, and the
// answer's closing frames. Nothing here depends on Qt or FreeImage.
namespace HelperIo {

// Reads "[--shared-pixels descriptor] [--portrait] [--cover WxH | --fit WxH]" or "--faces"
// alone; false on anything else.
bool parseArguments(int argc, char** argv);
// --faces: standard input holds a grey picture to find faces in (HelperProtocol::faceRequest).
bool faceSearch();
// --portrait: decode as Open does (its formats, JPEG strictly) and answer with the
// picture's size and only the top-left part a portrait keeps.
bool portraitRules();
// --cover or --fit: what the editor does with the pixels, so a JPEG may be decoded
// reduced; none (a zero size): the whole picture.
Jpeg::Need need();

// The frames get a descriptor of their own (answerDescriptor), and whatever the
// libraries print goes nowhere: an inherited standard error may be a regular file, which
// the no-file-writes limit turns into a fatal SIGXFSZ on the first warning, or closed,
// and then its number would be handed out to the next file opened.
bool detachDiagnostics();
int answerDescriptor();
// The shared memory's descriptor, -1 without one.
int sharedDescriptor();

bool writeAll(const std::string& frame);

// The picture comes as the editor's open descriptor on standard input; the helper never
// opens a path. The whole file is read into memory once. False, with errno set, when it
// cannot be read.
bool readPicture(std::vector<unsigned char>& bytes);
// The same bytes mapped read-only instead of copied, for a regular file that is not
// empty; false when it cannot be mapped.
bool mapPicture(const unsigned char*& data, std::size_t& size);

// A decoder's pixel store: the start of the shared memory, mapped writable; null without
// shared memory or when it is smaller than the picture.
std::uint32_t* mapShared(std::uint32_t width, std::uint32_t height);

// The result, pixel and text frames and the end frame. rows holds the converted picture's
// rows, wordsPerRow apart (the shared memory itself when the decoder wrote there); they
// (or, under Open's rules, their top-left part) go to the shared memory when there is
// one, else through the pipe. The result says whether every pixel sent is opaque.
bool finish(FreeImageLibrary::DecodedPicture& picture, const std::uint32_t* rows, std::size_t wordsPerRow);

} // namespace HelperIo
