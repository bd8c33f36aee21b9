#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

// Picture files dropped on the main window, handed to a command that decodes the file
// once and opens it as a portrait when it is exactly 48 x 56, or imports it otherwise
// (ImportCommand::takePicture). The command runs after the drop has been answered, so
// the dragging program is not kept waiting by a modal window.
class PictureDrop : public QObject {
    Q_OBJECT
public:
    using Command = std::function<void(const QString& path)>;

    PictureDrop(QWidget& window, Command take);

    // The one local file a drag carries; empty for anything else (several files, text,
    // remote addresses).
    static QString droppedFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    Command m_take;
};
