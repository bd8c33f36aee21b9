#include "files/PortraitFiles.h"

#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "files/cGdiPlus.h"
#include "platform/CommandGuard.h"
#include "platform/Dialogs.h"
#include "platform/Flatten.h"
#include "platform/StatusBar.h"

#include <QDir>
#include <QFileInfo>

QString PortraitFiles::dialogFilter()
{
    return tr("JPEG Image (*.jpg)|*.jpg");
}

QString PortraitFiles::withExtension(const QString& name)
{
    if (!QFileInfo(name).suffix().isEmpty())
        return name;
    return name + (name.endsWith(u'.') ? QStringLiteral("jpg") : QStringLiteral(".jpg"));
}

namespace {

bool rejectedName(const QString& name)
{
    return name.isEmpty() || name.contains(u'*');
}

} // namespace

PortraitFiles::PortraitFiles(PortraitDocument& document, EditingState& state, Dialogs& dialogs,
                             StatusBar& status)
    : m_document(document), m_state(state), m_dialogs(dialogs), m_status(status)
{
}

PortraitFiles::~PortraitFiles() = default;

void PortraitFiles::startCommand()
{
    // The previous instance is released before the new one starts.
    m_gdip.reset();
    m_gdip = std::make_unique<cGdiPlus>();
    m_gdip->setDecoder(m_decoder);
}

void PortraitFiles::settleOn(const QString& name)
{
    m_document.history().setClean();
    m_portraitFile = QFileInfo(name).absoluteFilePath();
    m_lastFolder = QFileInfo(name).absolutePath();
    if (m_listener)
        m_listener(m_portraitFile, true);
}

void PortraitFiles::setPortraitFile(const QString& name)
{
    m_portraitFile = name;
    if (m_listener)
        m_listener(m_portraitFile, false);
}

bool PortraitFiles::SavePortrait()
{
    bool saved = false;
    CommandGuard::run(m_dialogs, [&] { saved = save(); });
    return saved;
}

bool PortraitFiles::save()
{
    startCommand();
    FileDialogRequest request{tr("Save Portrait"), dialogFilter()};
    if (!m_portraitFile.isEmpty()) {
        request.directory = QFileInfo(m_portraitFile).absolutePath();
        request.fileName = QFileInfo(m_portraitFile).fileName();
    } else {
        request.directory = m_lastFolder;
    }
    QString name = m_dialogs.saveFileName(request);
    if (rejectedName(name))
        return false;
    return writeTo(withExtension(name));
}

bool PortraitFiles::writeTo(const QString& name)
{
    // The surface is the picture: every painted pixel is already in it.
    if (!m_gdip->PictureBoxToFile(m_document.picPreview(), name, m_state.OutputQuality,
                                  m_state.FullColourDetail)) {
        // Nothing claims success; the user learns why no file was written.
        CommandGuard::showCodecFailure(
            m_dialogs, tr("Save Portrait"),
            tr("The portrait was not saved to %1.").arg(QDir::toNativeSeparators(name)), m_gdip->lastError());
        return false;
    }
    m_gdip.reset();
    settleOn(name);
    m_status.setPanelText(1, name + tr(" saved successfully."));
    return true;
}

bool PortraitFiles::SaveInPlace()
{
    bool saved = false;
    CommandGuard::run(m_dialogs, [&] {
        startCommand();
        // Written back in its own format (JPEG at the chosen quality), when one of the
        // encoders writes it; otherwise the user picks a name and format.
        const bool writable =
            !m_portraitFile.isEmpty() &&
            m_gdip->FindEncoder(QStringLiteral("*.") + cGdiPlus::GetExtension(m_portraitFile)) >= 0;
        saved = writable ? writeTo(m_portraitFile) : save();
    });
    return saved;
}

void PortraitFiles::OpenPortrait()
{
    CommandGuard::run(m_dialogs, [this] {
        startCommand();
        FileDialogRequest request{tr("Load Portrait"), dialogFilter()};
        request.directory = m_lastFolder;
        const QString name = m_dialogs.openFileName(request);
        if (!rejectedName(name))
            load(name);
    });
}

void PortraitFiles::openFile(const QString& name)
{
    CommandGuard::run(m_dialogs, [&] {
        startCommand();
        load(name);
    });
}

void PortraitFiles::openDecoded(const QString& name, const QImage& pixels)
{
    CommandGuard::run(m_dialogs, [&] {
        startCommand();
        take(name, flattenedOver(pixels, toQRgb(m_document.picPreview().backColor())), pixels.size());
    });
}

void PortraitFiles::load(const QString& name)
{
    // Transparent pixels show the portrait's background, as the uncovered rows do.
    const QImage picture = m_gdip->FilenameToIPicture(name, toQRgb(m_document.picPreview().backColor()));
    if (picture.isNull()) {
        // The portrait stays as it was; a reading the user stopped needs no word.
        if (m_gdip->lastStatus() != cGdiPlus::Aborted)
            CommandGuard::showCodecFailure(m_dialogs, tr("Load Portrait"),
                                           tr("%1 was not loaded.").arg(QDir::toNativeSeparators(name)),
                                           m_gdip->lastError());
        return;
    }
    take(name, picture, m_gdip->lastPictureSize());
}

void PortraitFiles::take(const QString& name, const QImage& picture, QSize size)
{
    const bool cropped = size != QSize(Portrait::Width, Portrait::Height);
    if (cropped) {
        const MessageResult answer = m_dialogs.message(
            tr("Image is not 48x56. Continuing load will crop the image by the top-left corner.") +
                QStringLiteral("\r\n") + tr("(It is suggested you use Import Bitmap instead.)"),
            tr("Non-Standard Dimensions"), MessageButtons::RetryCancel, MessageIcon::Warning);
        if (answer != MessageResult::Retry)
            return;
    }
    m_document.loadPortrait(picture);
    // A crop is not that file's portrait: Save asks for a name of its own (in the same
    // folder), so it cannot replace the picture by a Return.
    if (cropped) {
        m_document.history().setClean();
        m_lastFolder = QFileInfo(name).absolutePath();
        setPortraitFile({});
    } else {
        settleOn(name);
    }
    m_gdip.reset();
    m_status.setPanelText(1, name + tr(" loaded successfully."));
}

void PortraitFiles::NewPortrait()
{
    m_document.newPortrait(m_state.BGColor);
    // A new portrait has no file yet; the folder stays for its Save.
    m_document.history().setClean();
    setPortraitFile({});
}
