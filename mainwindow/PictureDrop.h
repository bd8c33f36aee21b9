#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

// Picture files dropped on the main window: one that decodes as exactly 48 x 56 is
// opened as a portrait, any other goes to the import window. The command runs after
// the drop has been answered, so the dragging program is not kept waiting by a modal
// window.
class PictureDrop : public QObject {
    Q_OBJECT
public:
    using Command = std::function<void(const QString& path)>;

    PictureDrop(QWidget& window, Command open, Command import);

    // The one local file a drag carries; empty for anything else (several files, text,
    // remote addresses).
    static QString droppedFile(const QMimeData* data);
    // Whether the file is a portrait: it decodes as exactly 48 x 56.
    static bool isPortrait(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(const QString& path);

    QWidget& m_window;
    Command m_open;
    Command m_import;
};
