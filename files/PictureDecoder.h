#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <cstdint>

// A picture the user hands the editor: a file, or bytes that came another way (a paste).
// Either may be hostile.
struct PictureSource {
    QString path;     // the file; for bytes, a name to show in messages (may be empty)
    QByteArray bytes; // the picture itself, when inMemory
    bool inMemory = false;

    static PictureSource file(const QString& path) { return {path, {}, false}; }
    static PictureSource data(const QByteArray& bytes, const QString& name = {})
    {
        return {name, bytes, true};
    }
};

// Decodes the pictures a user names outside the editor's process, under the bounds every
// way in shares (16384 pixels a side, 100 megapixels, a memory cap and time limits), so
// that a hostile file can neither take the editor down nor stall its window. The files
// layer states what it needs; the import layer provides it (a sandboxed helper process)
// and the main window hands it in.
class PictureDecoder {
public:
    enum class Rules : std::uint8_t {
        Open,   // the formats Open takes, JPEG strictly; only the top-left part a portrait keeps
        Import, // every format the import reads, the whole picture
    };
    enum class Outcome : std::uint8_t {
        Decoded,
        NotAPicture, // no reader takes it
        TooLarge,    // it claims more than the bounds
        Damaged,     // cut or corrupt (detail says how)
        Unreadable,  // the file could not be read (detail says why)
        OutOfMemory, // it did not fit in the decoder's memory
        Failed,      // the decoder crashed, ran out of time or answered nonsense (detail says which)
        Cancelled,   // the user stopped it
    };
    struct Decoded {
        Outcome outcome = Outcome::Failed;
        // Format_ARGB32, or Format_RGB32 when every pixel is opaque. Under Rules::Open only
        // the top-left Portrait::Width x Portrait::Height pixels (all, when smaller).
        QImage pixels;
        QSize size; // the whole picture, or the size it claims when TooLarge
        QString detail;
        QList<QPair<QString, QString>> texts; // key and value, as the file carries them
        bool ok() const { return outcome == Outcome::Decoded; }
    };

    virtual ~PictureDecoder() = default;
    virtual Decoded decode(const PictureSource& source, Rules rules) = 0;
};
