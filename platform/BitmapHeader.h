#pragma once

#include <QByteArray>
#include <QSize>

// What a Windows bitmap's header promises: its size and, for uncompressed pixels, how
// long the file must be to hold them. Readers fill the rows a short file lacks with
// black, so a decoder's success alone does not say the picture is whole.
struct BitmapHeader {
    bool valid = false;
    QSize size;
    qint64 bytesNeeded = 0; // 0 for run-length data, whose size is not fixed

    // Needs the file's first 34 bytes; fewer give an invalid header.
    static BitmapHeader parse(const QByteArray& head);
    // Bytes parse() reads.
    static constexpr int HeadBytes = 34;
};
