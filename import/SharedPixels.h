#pragma once

#include <QImage>
#include <cstdint>
#include <string>

// The memory the import helper writes a picture's pixels into: a memory file the editor
// creates, sparse and as large as the largest picture ImportLimits allows, and hands to
// the helper as an inherited descriptor. Once the helper has ended, the editor cuts the
// file to the picture, seals it against any further change of size or content and maps
// it read-only; the image refers to that mapping, and unmaps it when the last copy goes.
class SharedPixels {
public:
    SharedPixels();
    ~SharedPixels();
    SharedPixels(const SharedPixels&) = delete;
    SharedPixels& operator=(const SharedPixels&) = delete;

    // -1 when the memory could not be made (the pixels then come through the pipe).
    int descriptor() const { return m_fd; }

    // The picture's width * height words, 0xAARRGGBB, as an image without a copy:
    // Format_RGB32 when the helper says every pixel is opaque (an alpha byte that is not
    // 0xFF is then ignored), Format_ARGB32 otherwise. A file shorter
    // than the picture, one still mapped writable elsewhere or one that cannot be
    // sealed gives a null image and why.
    QImage map(std::uint32_t width, std::uint32_t height, bool opaque, std::string& why);

private:
    int m_fd = -1;
};
