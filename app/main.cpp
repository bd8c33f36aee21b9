#include "mainwindow/frmMain.h"
#include "platform/Translations.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictoria"));
    // Ties the window to its desktop entry (taskbar icon and name on Wayland desktops).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pictoria.Pictoria"));
    installTranslations(app);
    frmMain window;
    window.show();
    return app.exec();
}
