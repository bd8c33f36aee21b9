#pragma once

#include <QCoreApplication>

#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class PortraitCanvas;
class StatusBar;
class cGdiPlus;
struct EditingState;

// The toolbar's New, Open and Save: the portrait as a JPEG file.
class PortraitFiles {
    Q_DECLARE_TR_FUNCTIONS(PortraitFiles)

public:
    static QString dialogFilter();

    PortraitFiles(PortraitCanvas& canvas, EditingState& state, Dialogs& dialogs, StatusBar& status);
    ~PortraitFiles();

    void SavePortrait();
    void OpenPortrait();
    // Open without the dialog: the named file, as if chosen in it.
    void openFile(const QString& name);
    void NewPortrait();

    // The codec service of the last Save or Open; it stays when a command ends early.
    cGdiPlus* gdip() const { return m_gdip.get(); }

private:
    void startCommand();
    // Runs a command, turning what it throws into the one error box.
    void guarded(const std::function<void()>& command);
    void load(const QString& name);
    void showCommandError(int number, const QString& description);
    void showCodecFailure(const QString& title, const QString& what);

    PortraitCanvas& m_canvas;
    EditingState& m_state;
    Dialogs& m_dialogs;
    StatusBar& m_status;
    std::unique_ptr<cGdiPlus> m_gdip;
};
