#pragma once

#include "mainwindow/frmMain.h"
#include "support/ScriptedDialogs.h"

#include <QTimer>
#include <functional>
#include <memory>

class frmImport;
class QDialog;

// Runs the action once, when the window's import window is showing. A plain timer may
// fire before that: the decode before the import window lets the event loop run too.
// Watches for as long as the returned timer lives.
[[nodiscard]] std::unique_ptr<QTimer> whenImportWindowShows(frmMain& window,
                                                            std::function<void(frmImport&)> action);

// Runs the action once, on the first modal dialog that shows (the editor's own dialogs,
// which the scripted double does not stand in for). Watches while the timer lives.
[[nodiscard]] std::unique_ptr<QTimer> whenDialogShows(std::function<void(QDialog&)> action);

// The main window with scripted dialogs, for the tests that drive the whole window:
// each test's init() opens a fresh one.
class MainWindowFixture {
protected:
    // Makes the window and shows it; false when it is never exposed.
    [[nodiscard]] bool openWindow();

    std::shared_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<frmMain> window;
};
