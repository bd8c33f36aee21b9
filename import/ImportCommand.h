#pragma once

#include <QCoreApplication>

#include "import/ImageLoader.h"
#include "import/PictureScale.h"
#include "platform/Colour.h"

#include <QPointer>
#include <functional>
#include <memory>

class Dialogs;
class FaceLocator;
class PortraitCanvas;
class PortraitDocument;
class QWidget;
class StatusBar;
class frmImport;
class WholePicture;

// The Import command: asks for a picture, decodes it into the import window, sizes the
// window around it and shows it modally until the user has picked a region.
class ImportCommand {
    Q_DECLARE_TR_FUNCTIONS(ImportCommand)

public:
    // The pick writes the portrait through the document; the view loses its popup while
    // the import window is open.
    ImportCommand(QWidget* owner, Dialogs& dialogs, PortraitDocument& document, PortraitCanvas& canvas,
                  StatusBar& status, std::function<Colour()> background);
    ~ImportCommand();

    static const char* const DialogTitle;
    // "All pictures" first, the classic four, every other readable format, "All files".
    static QString dialogFilter();
    // The main window's view, which the import window avoids covering.
    void setViewToKeepVisible(QWidget* view) { m_view = view; }
    // Where the import dialog starts: the folder of the last picture imported.
    const QString& lastFolder() const { return m_lastFolder; }
    void setLastFolder(const QString& folder) { m_lastFolder = folder; }
    // How the import window scales a reduced picture, asked at each import.
    void setScalingSource(std::function<PictureScale::Filter()> source) { m_scaling = std::move(source); }
    PictureScale::Filter scaling() const { return m_scaling ? m_scaling() : PictureScale::Filter::Sharp; }
    // Who finds faces for the window's A key (none: A frames the most detailed part). Not owned.
    void setFaceLocator(FaceLocator* locator) { m_faceLocator = locator; }
    // The size the user last gave the import window (invalid if never), remembered across runs.
    QSize windowSize() const { return m_windowSize; }
    void setWindowSize(QSize size) { m_windowSize = size; }

    void ImportBitmap();
    // The import without the dialog: the named file, as if chosen in it.
    void importFile(const QString& file);
    // The import of any picture the user hands over, a file or bytes (a paste), through
    // the import window.
    void importPicture(const PictureSource& source);
    // Opens a portrait with the name and the decoded pixels.
    using PortraitOpener = std::function<void(const QString& name, const QImage& pixels)>;
    // A picture decoded once and handed on: exactly a portrait's size, it goes to
    // openPortrait; any other size to the import window (a dropped file, a paste).
    void takePicture(const PictureSource& source, const PortraitOpener& openPortrait);

    // The one import window, created on the first import that gets past the dialog.
    frmImport* window() const;
    ImageLoader& loader() { return m_loader; }

private:
    void run();
    // The one import window, made when first needed.
    void ensureWindow();
    // The picture decoded for the import window: a JPEG larger than the window's room as
    // a reduced decode that still fills the room.
    ImportHelper::Run decodeForWindow(const PictureSource& source);
    // The import window on a decoded answer; a reduced one gets the whole picture decoded
    // meanwhile.
    void pick(ImportHelper::Run& decoded, const PictureSource& source);

    QWidget* m_owner;
    Dialogs& m_dialogs;
    PortraitDocument& m_document;
    PortraitCanvas& m_canvas;
    StatusBar& m_status;
    std::function<Colour()> m_background;
    ImageLoader m_loader;
    QPointer<frmImport> m_window;
    QPointer<QWidget> m_view;
    QString m_lastFolder;
    std::function<PictureScale::Filter()> m_scaling;
    QSize m_windowSize;
    FaceLocator* m_faceLocator = nullptr;
    std::unique_ptr<WholePicture> m_whole; // while the window shows a reduced decode
};
