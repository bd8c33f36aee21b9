#pragma once

#include <QObject>
#include <functional>

class ImportCommand;
class PortraitDocument;
class QAction;
class QMimeData;
class QWidget;
class StatusBar;
struct PictureSource;

// Copy and paste of whole pictures. Ctrl+C puts the portrait on the clipboard as a PNG
// and as Qt's image. Ctrl+V takes a picture from the clipboard (or the picture file a
// copied name or URL points at): exactly a portrait's size, it replaces the portrait as
// one undo step; any other size goes to the import window. Pasted pictures come from
// other programs and may be hostile: their bytes are decoded by the import's sandboxed
// decoder, never in the editor (a picture this editor copied itself is encoded to PNG
// bytes first and takes the same way).
class ClipboardCommands : public QObject {
    Q_OBJECT
public:
    // background gives the colour transparent pasted pixels take.
    ClipboardCommands(QWidget* window, PortraitDocument& document, ImportCommand& import, StatusBar& status,
                      std::function<QRgb()> background);

    void copy();
    void paste();
    // What paste takes from the clipboard's data: its picture bytes, else a local file
    // its URLs or text name; false when it holds neither.
    static bool pictureOf(const QMimeData& data, bool ownImage, PictureSource& source);

    QAction* copyAction() const { return m_copy; }
    QAction* pasteAction() const { return m_paste; }

private:
    PortraitDocument& m_document;
    ImportCommand& m_import;
    StatusBar& m_status;
    std::function<QRgb()> m_background;
    QAction* m_copy;
    QAction* m_paste;
};
