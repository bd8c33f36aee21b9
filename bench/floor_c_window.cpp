// Floor C: the least a Qt Widgets program of the editor's shape costs to start and to
// keep: one 640 x 520 window with a 13-action toolbar, a status bar and a 388 x 452
// image. Nothing else; the start-up script measures it beside the editor.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Floor C"));
    window.setFixedSize(640, 520);
    QToolBar* toolbar = window.addToolBar(QStringLiteral("Tools"));
    toolbar->setMovable(false);
    for (int i = 0; i < 13; ++i)
        toolbar->addAction(window.style()->standardIcon(QStyle::StandardPixmap(QStyle::SP_FileIcon + i % 8)),
                           QStringLiteral("Action %1").arg(i + 1));
    window.statusBar()->showMessage(QStringLiteral("Ready."));
    QImage image(388, 452, QImage::Format_RGB32);
    image.fill(Qt::black);
    auto* label = new QLabel(&window);
    label->setPixmap(QPixmap::fromImage(image));
    label->setFixedSize(388, 452);
    window.setCentralWidget(label);
    window.show();
    return app.exec();
}
