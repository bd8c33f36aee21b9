#include "gallery/GalleryWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictoria button gallery"));
    GalleryWindow window;
    window.show();
    return app.exec();
}
