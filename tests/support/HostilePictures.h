#pragma once

#include <QByteArray>

// Small files that cost a decoder dearly, built here rather than kept as samples. Each
// is a valid file of its format; what makes it hostile is the work or memory it asks for.
namespace HostilePictures {

// A greyscale progressive JPEG whose 883 scans are all legal: the DC coefficients, then
// each AC coefficient on its own at every bit of successive approximation. Each scan is
// one run of empty blocks, yet a decoder makes a pass over the whole picture for it. The
// picture must have at least 16384 blocks of 8 x 8 pixels (a megapixel).
QByteArray progressiveJpeg(int width, int height);

// A float RGB TIFF whose rows all point at one compressed row of zeros: a few kilobytes
// that decode to width * height * 12 bytes and more.
QByteArray floatTiff(int width, int height);

// A one-pixel GIF on a logical screen of the given size, which some readers allocate.
QByteArray gifOnScreen(int width, int height);

} // namespace HostilePictures
