#include "CommandLine.h"
#include "PortraitConverter.h"
#include "files/PortraitFiles.h"
#include "import/ImportCommand.h"
#include "mainwindow/frmMain.h"
#include "platform/Translations.h"
#include "platform/Version.h"

#include <QApplication>
#include <QTimer>

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Pictoria"));
    QCoreApplication::setApplicationVersion(QLatin1String(Release::Text));
}

} // namespace

int main(int argc, char* argv[])
{
    CommandLine command;
    {
        // --help, --version, the errors and --convert need no display.
        QCoreApplication core(argc, argv);
        nameApplication();
        installTranslations(core);
        command = CommandLine::parse(QCoreApplication::arguments());
        if (command.mode == CommandLine::Mode::Exit)
            return command.exitCode;
        if (command.mode == CommandLine::Mode::Convert)
            return PortraitConverter(command).run();
    }

    QApplication app(argc, argv);
    nameApplication();
    // Ties the window to its desktop entry (taskbar icon and name on Wayland desktops).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pictoria.Pictoria"));
    installTranslations(app);
    frmMain window;
    window.show();
    // Once the window is up: first what an earlier run left, then the named file.
    QTimer::singleShot(0, &window, [&window, &command] {
        window.offerRecovery();
        if (!command.openFile.isEmpty())
            window.files().openFile(command.openFile);
        else if (!command.importFile.isEmpty())
            window.importCommand().importFile(command.importFile);
    });
    return app.exec();
}
