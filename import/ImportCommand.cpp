#include "import/ImportCommand.h"

#include "canvas/PortraitCanvas.h"
#include "document/PortraitDocument.h"
#include "import/ImportFilter.h"
#include "import/WholePicture.h"
#include "import/frmImport.h"
#include "platform/CommandGuard.h"
#include "platform/Dialogs.h"
#include "platform/StageClock.h"
#include "platform/StatusBar.h"

#include <QFileInfo>
#include <QWidget>

const char* const ImportCommand::DialogTitle = "Import Bitmap";

ImportCommand::ImportCommand(QWidget* owner, Dialogs& dialogs, PortraitDocument& document,
                             PortraitCanvas& canvas, StatusBar& status, std::function<Colour()> background)
    : m_owner(owner), m_dialogs(dialogs), m_document(document), m_canvas(canvas), m_status(status),
      m_background(std::move(background)), m_loader(dialogs)
{
}

ImportCommand::~ImportCommand()
{
    m_whole.reset(); // its thread may still speak to the window
    // Owned by the main window when it has one; otherwise ours to delete.
    if (m_window && !m_window->parent())
        delete m_window;
}

frmImport* ImportCommand::window() const
{
    return m_window;
}

void ImportCommand::ImportBitmap()
{
    CommandGuard::run(m_dialogs, [this] { run(); });
}

void ImportCommand::importFile(const QString& file)
{
    importPicture(PictureSource::file(file));
}

void ImportCommand::importPicture(const PictureSource& source)
{
    CommandGuard::run(m_dialogs, [&] {
        StageClock::mark("import-start");
        ImportHelper::Run decoded = decodeForWindow(source);
        StageClock::mark("import-decoded");
        pick(decoded, source);
    });
}

void ImportCommand::takePicture(const PictureSource& source, const PortraitOpener& openPortrait)
{
    CommandGuard::run(m_dialogs, [&] {
        // A portrait-sized picture never opens the window, so none is made to size the decode.
        ImportHelper::Run decoded = m_window ? decodeForWindow(source) : m_loader.decode(source);
        if (ImageLoader::isPortrait(decoded))
            openPortrait(source.path, decoded.pixels);
        else
            pick(decoded, source);
    });
}

QString ImportCommand::dialogFilter()
{
    return ImportFilter::build(ImportFilter::installedFormats());
}

void ImportCommand::run()
{
    FileDialogRequest request{tr(DialogTitle), dialogFilter(), 1};
    request.directory = m_lastFolder;
    const QString file = m_dialogs.openFileName(request);
    if (file.isEmpty() || file.contains('*'))
        return;
    m_lastFolder = QFileInfo(file).absolutePath();
    StageClock::mark("import-start");
    const PictureSource source = PictureSource::file(file);
    ImportHelper::Run decoded = decodeForWindow(source);
    StageClock::mark("import-decoded");
    pick(decoded, source);
}

void ImportCommand::ensureWindow()
{
    if (!m_window)
        m_window = new frmImport(m_document, m_status, m_background, m_owner);
}

ImportHelper::Run ImportCommand::decodeForWindow(const PictureSource& source)
{
    ensureWindow();
    m_window->setRememberedSize(m_windowSize);
    // The window opens with the whole picture fitted into its room: that much of a JPEG
    // is decoded first.
    ImportHelper::Settings& settings = m_loader.settings();
    settings.need = m_window->pictureRoom();
    settings.needCover = false;
    struct Reset {
        ImportHelper::Settings& settings;
        ~Reset() { settings.need = QSize(); }
    } reset{settings};
    return m_loader.decode(source);
}

void ImportCommand::pick(ImportHelper::Run& decoded, const PictureSource& source)
{
    ensureWindow();

    // Transparent parts of the picture take the colour the region takes outside it.
    m_window->pictureSurface().setBackColor(m_background());
    if (!m_loader.render(decoded, m_window->pictureSurface()))
        return;
    StageClock::mark("import-rendered");

    m_window->setScaling(scaling());
    m_window->setRememberedSize(m_windowSize);
    m_window->setFaceLocator(m_faceLocator);
    m_whole.reset();
    std::function<void()> startWhole;
    if (decoded.picture.scale > 1) {
        // The whole picture is decoded once the reduced one is on the screen, so that its
        // decode does not delay the first view; whatever needs it sooner starts it.
        frmImport* window = m_window;
        startWhole = [this, window, source, serial = window->pictureSerial() + 1] {
            // Not for a window already closed (a paint's call can come after that).
            if (m_whole || !window->isVisible())
                return;
            m_whole = std::make_unique<WholePicture>(
                source, m_loader.settings(), toQRgb(m_background()), window,
                [window, serial](const QImage& image) { window->offerWholePicture(serial, image); });
        };
        const QSize whole(int(decoded.picture.fullWidth), int(decoded.picture.fullHeight));
        m_window->fitToPicture(whole, [this, startWhole] {
            startWhole();
            return m_whole ? m_whole->wait() : QImage();
        });
    } else {
        m_window->fitToPicture();
    }
    StageClock::mark("import-fitted");
    m_window->bMouseDown = false;
    if (m_view)
        m_window->placeBeside(QRect(m_view->mapToGlobal(QPoint(0, 0)), m_view->size()));
    StageClock::mark("import-placed");
    // However many moves the pick copies, the import is one step of the history; a
    // cancelled pick puts everything back and leaves no step.
    const QImage before = m_document.picPreview().image().copy();
    const Colour beforeBackground = m_document.picPreview().backColor();
    const QString beforeStatus = m_status.panelText(1);
    // The popup showed the colour under a pointer that now works in the import window.
    m_canvas.hidePopup();
    m_document.beginChange();
    m_window->afterFirstPaint(startWhole);
    m_window->exec();
    m_whole.reset();
    m_windowSize = m_window->rememberedSize();
    if (m_window->cancelled()) {
        // The portrait and its background as they were (a region taken outside the picture
        // set the background).
        m_document.importRegion(before, 0, 0, beforeBackground);
        m_status.setPanelText(1, beforeStatus);
    }
    m_document.endChange();
}
