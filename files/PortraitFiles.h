#pragma once

#include <QCoreApplication>

#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class PictureDecoder;
class PortraitDocument;
class StatusBar;
class cGdiPlus;
struct EditingState;

// The toolbar's New, Open and Save: the portrait as a JPEG file.
class PortraitFiles {
    Q_DECLARE_TR_FUNCTIONS(PortraitFiles)

public:
    static QString dialogFilter();
    // A name without an extension is a JPEG, the dialog's only type: ".jpg" is added.
    static QString withExtension(const QString& name);

    PortraitFiles(PortraitDocument& document, EditingState& state, Dialogs& dialogs, StatusBar& status);
    ~PortraitFiles();

    // True when the file was written.
    bool SavePortrait();
    // Writes the portrait back to its own file, in that file's format, without a dialog;
    // a portrait without a file (or whose file's format cannot be written) asks as
    // SavePortrait does. True when the file was written.
    bool SaveInPlace();
    void OpenPortrait();
    // Open without the dialog: the named file, as if chosen in it.
    void openFile(const QString& name);
    // Open for a picture already decoded (a dropped file): named as the file, pixels as
    // the decoder gave them (transparent ones take the portrait's background).
    void openDecoded(const QString& name, const QImage& pixels);
    // Who decodes the files Open reads (see cGdiPlus::setDecoder).
    void setDecoder(PictureDecoder* decoder) { m_decoder = decoder; }
    void NewPortrait();

    // The file the portrait was last opened from or saved to; empty after New.
    const QString& portraitFile() const { return m_portraitFile; }
    void setPortraitFile(const QString& name);
    // The folder of the last portrait opened or saved: where Open starts, and Save
    // when the portrait has no file of its own.
    const QString& lastFolder() const { return m_lastFolder; }
    void setLastFolder(const QString& folder) { m_lastFolder = folder; }

    // Told each time the portrait's file changes (empty: none) and, with written true,
    // after a portrait was opened from or saved to a file.
    using FileListener = std::function<void(const QString& file, bool openedOrSaved)>;
    void setFileListener(FileListener listener) { m_listener = std::move(listener); }

    // The codec service of the last Save or Open; it stays when a command ends early.
    cGdiPlus* gdip() const { return m_gdip.get(); }

private:
    void startCommand();
    // Save as the command runs it, inside the error guard.
    bool save();
    // Writes the portrait to the name and says so; false (after the box) when it failed.
    bool writeTo(const QString& name);
    void load(const QString& name);
    // A decoded picture of the given whole size becomes the portrait, after the question
    // when it is not a portrait's size.
    void take(const QString& name, const QImage& picture, QSize size);
    // Opened or saved: the history's clean point, the name and the folder.
    void settleOn(const QString& name);

    PortraitDocument& m_document;
    EditingState& m_state;
    Dialogs& m_dialogs;
    StatusBar& m_status;
    PictureDecoder* m_decoder = nullptr;
    std::unique_ptr<cGdiPlus> m_gdip;
    QString m_portraitFile;
    QString m_lastFolder;
    FileListener m_listener;
};
