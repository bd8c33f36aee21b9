#include "mainwindow/ClipboardCommands.h"

#include "document/PortraitDocument.h"
#include "files/PictureDecoder.h"
#include "import/ImportCommand.h"
#include "platform/Flatten.h"
#include "platform/StatusBar.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// Picture formats taken as bytes, in order of preference.
const char* const PictureTypes[] = {"image/png", "image/bmp",  "image/x-bmp", "image/jpeg",
                                    "image/gif", "image/tiff", "image/webp"};

QByteArray pngOf(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// A local file named by a URL or a plain path, if it is one.
QString localFile(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(u'\n'))
        return {};
    const QUrl url(trimmed);
    const QString path = url.isLocalFile() ? url.toLocalFile() : trimmed;
    return QFileInfo(path).isAbsolute() && QFileInfo(path).isFile() ? path : QString();
}

} // namespace

ClipboardCommands::ClipboardCommands(QWidget* window, PortraitDocument& document, ImportCommand& import,
                                     StatusBar& status, std::function<QRgb()> background)
    : QObject(window), m_document(document), m_import(import), m_status(status),
      m_background(std::move(background)), m_copy(new QAction(tr("Copy"), window)),
      m_paste(new QAction(tr("Paste"), window))
{
    m_copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m_paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(m_copy, &QAction::triggered, this, &ClipboardCommands::copy);
    connect(m_paste, &QAction::triggered, this, &ClipboardCommands::paste);
    window->addActions({m_copy, m_paste});
}

void ClipboardCommands::copy()
{
    const QImage portrait = m_document.picPreview().image().convertToFormat(QImage::Format_RGB32);
    auto* data = new QMimeData;
    data->setImageData(portrait);
    data->setData(QStringLiteral("image/png"), pngOf(portrait));
    QGuiApplication::clipboard()->setMimeData(data);
    m_status.setPanelText(1, tr("The portrait was copied to the clipboard."));
}

bool ClipboardCommands::pictureOf(const QMimeData& data, bool ownImage, PictureSource& source)
{
    // The picture this editor put there is already an image in memory: it goes on as
    // PNG bytes, the same way as anyone else's.
    if (ownImage && data.hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data.imageData());
        if (!picture.isNull()) {
            source = PictureSource::data(pngOf(picture), tr("the clipboard's picture"));
            return true;
        }
    }
    for (const char* type : PictureTypes) {
        const QString name = QString::fromLatin1(type);
        if (!data.hasFormat(name))
            continue;
        const QByteArray bytes = data.data(name);
        if (!bytes.isEmpty()) {
            source = PictureSource::data(bytes, tr("the clipboard's picture"));
            return true;
        }
    }
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls())
            if (const QString file = url.isLocalFile() ? localFile(url.toLocalFile()) : QString();
                !file.isEmpty()) {
                source = PictureSource::file(file);
                return true;
            }
    }
    if (data.hasText()) {
        if (const QString file = localFile(data.text()); !file.isEmpty()) {
            source = PictureSource::file(file);
            return true;
        }
    }
    return false;
}

void ClipboardCommands::paste()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    PictureSource source;
    if (!data || !pictureOf(*data, clipboard->ownsClipboard(), source)) {
        m_status.setPanelText(1, tr("The clipboard holds no picture to paste."));
        return;
    }
    m_import.takePicture(source, [this](const QString&, const QImage& pixels) {
        // A portrait's size: the whole portrait, one undo step; nothing else of it (its
        // file, its saved state) changes.
        m_document.restorePortrait(flattenedOver(pixels, m_background()));
        m_status.setPanelText(1, tr("The picture on the clipboard was pasted as the portrait."));
    });
}
