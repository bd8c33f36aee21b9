#include "mainwindow/PictureDrop.h"

#include "document/PortraitGeometry.h"
#include "files/cGdiPlus.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

PictureDrop::PictureDrop(QWidget& window, Command open, Command import)
    : QObject(&window), m_window(window), m_open(std::move(open)), m_import(std::move(import))
{
    m_window.setAcceptDrops(true);
    m_window.installEventFilter(this);
}

QString PictureDrop::droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    const QFileInfo info(path);
    return info.isFile() ? path : QString();
}

bool PictureDrop::isPortrait(const QString& path)
{
    // A header that gives another size settles it without decoding a large picture twice.
    QImageReader header(path);
    const QSize claimed = header.size();
    if (claimed.isValid() && claimed != QSize(Portrait::Width, Portrait::Height))
        return false;
    // The codec service Open uses: what it decodes as 48 x 56 opens without a question.
    cGdiPlus gdip;
    const QImage picture = gdip.FilenameToIPicture(path);
    return picture.width() == Portrait::Width && picture.height() == Portrait::Height;
}

void PictureDrop::run(const QString& path)
{
    if (isPortrait(path))
        m_open(path);
    else
        m_import(path);
}

bool PictureDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!droppedFile(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        QTimer::singleShot(0, this, [this, path] { run(path); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
