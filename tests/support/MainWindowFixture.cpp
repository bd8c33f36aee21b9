#include "support/MainWindowFixture.h"

#include <QTest>

bool MainWindowFixture::openWindow()
{
    dialogs = std::make_shared<ScriptedDialogs>();
    window = std::make_unique<frmMain>(dialogs);
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}
