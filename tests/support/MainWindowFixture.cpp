#include "support/MainWindowFixture.h"

#include "import/ImportCommand.h"
#include "import/frmImport.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

std::unique_ptr<QTimer> whenImportWindowShows(frmMain& window, std::function<void(frmImport&)> action)
{
    auto watch = std::make_unique<QTimer>();
    QTimer* timer = watch.get();
    QObject::connect(timer, &QTimer::timeout, &window, [&window, timer, action = std::move(action)] {
        frmImport* w = window.importCommand().window();
        if (!w || !w->isVisible())
            return;
        timer->stop();
        action(*w);
    });
    timer->start(5);
    return watch;
}

std::unique_ptr<QTimer> whenDialogShows(std::function<void(QDialog&)> action)
{
    auto watch = std::make_unique<QTimer>();
    QTimer* timer = watch.get();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        action(*dialog);
    });
    timer->start(5);
    return watch;
}

bool MainWindowFixture::openWindow()
{
    dialogs = std::make_shared<ScriptedDialogs>();
    window = std::make_unique<frmMain>(dialogs);
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
}
