#pragma once

#include <QByteArray>
#include <QString>

// Files the program reads for itself (its settings, its recovery copies) are read only
// when they are plain files of a sane size: a pipe would block the reader for as long
// as no one writes into it, a device would never end, and a huge file would take the
// start with it. Nothing here waits.
class PlainFile {
public:
    enum class Kind { Missing, Plain, NotPlain, TooLarge, Unreadable };

    // What is at the path (links followed), without opening it.
    static Kind inspect(const QString& path, qint64 maxBytes);

    struct Contents {
        Kind kind = Kind::Missing;
        QByteArray bytes; // for Kind::Plain
    };
    // The whole file, opened without blocking; a file that grows past the bound while it
    // is read is TooLarge too.
    static Contents read(const QString& path, qint64 maxBytes);

    // Why a file of that kind is left alone, in words, naming the path.
    static QString refusal(const QString& path, Kind kind);
};
