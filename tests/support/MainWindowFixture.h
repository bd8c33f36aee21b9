#pragma once

#include "mainwindow/frmMain.h"
#include "support/ScriptedDialogs.h"

#include <memory>

// The main window with scripted dialogs, for the tests that drive the whole window:
// each test's init() opens a fresh one.
class MainWindowFixture {
protected:
    // Makes the window and shows it; false when it is never exposed.
    [[nodiscard]] bool openWindow();

    std::shared_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<frmMain> window;
};
