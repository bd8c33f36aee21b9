#pragma once

#include <QCoreApplication>

#include "import/ImportHelper.h"

#include <QImage>
#include <QString>
#include <QStringList>

class BusyWait;
class Dialogs;
class Surface;

// A decoded library bitmap as the editor receives it from the helper: the sizes and
// the presence of bits and header the library reported, and the pixels converted to
// 32 bits, top row first.
struct LibraryBitmap {
    int width = 0;
    int height = 0;
    bool hasBits = false;
    bool hasInfo = false;
    QImage pixels;       // null when the conversion failed
    int renderError = 0; // the helper's error code when it did
};

// The image-loading module: FreeImage decodes in the helper process, and Qt's image
// readers there take what it gives no pixels for; RenderDIB draws the result 1:1 into a
// picture box. When neither reads the file, the library's messages reach the user as
// message boxes, or one error box says why.
class ImageLoader {
    Q_DECLARE_TR_FUNCTIONS(ImageLoader)

public:
    explicit ImageLoader(Dialogs& dialogs, ImportHelper::Settings settings = {});

    ImportHelper::Settings& settings() { return m_settings; }
    // Decodes wait on it, off the interface thread; without one, here.
    void setBusyWait(BusyWait* wait) { m_wait = wait; }

    // The helpers' answer for the picture. A file that is not there throws CommandError
    // (ErrorFileNotFound), a decode the user cancelled CommandError::Cancelled.
    ImportHelper::Run decode(const PictureSource& source);
    // Whether the answer is a whole, undamaged picture of exactly a portrait's size.
    static bool isPortrait(const ImportHelper::Run& run);
    // Draws an answer into the box as LoadImageFile does once it has decoded.
    bool render(ImportHelper::Run& run, Surface& box);

    // Decodes the file into the box; true on success. Only a decoded bitmap reaches the
    // box (through RenderDIB), its transparent pixels composited over the box's background
    // colour. A missing file, a helper that crashes, times out or answers nonsense, a
    // picture beyond ImportLimits, a damaged or incomplete file (pixel data that end
    // early, or that the decoder reports missing or corrupt), an exception escaping the
    // library and a file neither reader takes without a word from the library all throw
    // CommandError, which the Import command turns into its one error box.
    bool LoadImageFile(const QString& path, Surface& box);

    // Sizes the box to the bitmap and draws it; false after one "RenderDIB Error" box.
    bool RenderDIB(const LibraryBitmap& bitmap, Surface& box);

    // One library message as an "Error: " box.
    void FreeImageErrorHandler(int format, const QString& message);
    // What the library said while reading one file, a line each, in one such box.
    void showLibraryMessages(const QStringList& messages);

    // Error numbers of the run-time errors LoadImageFile raises.
    static constexpr int ErrorOutOfMemory = 7;
    static constexpr int ErrorFileNotFound = 53;
    static constexpr int ErrorPictureTooLarge = 480;
    static constexpr int ErrorInvalidPicture = 481;

private:
    static QString damagedText(const std::string& why);
    static QString notReadText(const FreeImageLibrary::DecodedPicture& picture);
    void renderError(const QString& text);

    Dialogs& m_dialogs;
    ImportHelper::Settings m_settings;
    BusyWait* m_wait = nullptr;
};
