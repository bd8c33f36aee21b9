#include "mainwindow/frmMain.h"

#include "files/PortraitFiles.h"
#include "import/FreeImageLibrary.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "platform/PictureBox.h"
#include "platform/QtDialogs.h"
#include "platform/StatusBar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

QFont designFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(6.75);
    return font;
}

} // namespace

frmMain::frmMain(std::shared_ptr<Dialogs> dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs ? std::move(dialogs) : std::make_shared<QtDialogs>(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pictoria"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/pictoria-32.png")));
    setFont(designFont());
    setFixedSize(ClientWidth, ClientHeight);
    setMouseTracking(true);

    FreeImageLibrary::initialise();
    m_libraryStarted = true;

    m_toolbar = new MainToolBar(this);
    m_toolbar->setGeometry(0, 0, ClientWidth, 22);
    m_canvas.setGridSource([this] { return m_toolbar->gridPressed(); });

    m_panel = std::make_unique<ControlPanel>(this, m_canvas.picPreview());

    m_faceBox = new PictureBox(this);
    m_faceBox->setObjectName(QStringLiteral("picFace"));
    m_faceBox->setSurface(&m_canvas.picFace());
    m_faceBox->setGeometry(248, 28, 388, 452);
    m_faceBox->setCursor(Qt::CrossCursor);

    m_version = new QLabel(this);
    m_version->setGeometry(248, 484, 385, 13);
    m_version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_statusBar = new StatusBar({{420, QStringLiteral("Ready.")},
                                 {120, QStringLiteral("RGB(0,0,0)")},
                                 {96, QStringLiteral("(0, 0)")}},
                                this);
    m_statusBar->setGeometry(0, 504, ClientWidth, 16);
    m_files = std::make_unique<PortraitFiles>(m_canvas, m_state, *m_dialogs, *m_statusBar);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
    m_faceBox->setFocus();
}

frmMain::~frmMain()
{
    if (m_libraryStarted)
        FreeImageLibrary::deinitialise();
}

void frmMain::SavePortrait() { m_files->SavePortrait(); }

void frmMain::OpenPortrait() { m_files->OpenPortrait(); }

void frmMain::NewPortrait() { m_files->NewPortrait(); }

void frmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_layoutPasses == 0)
        Form_Resize();
}

void frmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && m_layoutPasses > 0)
        Form_Resize();
}

void frmMain::Form_Resize()
{
    m_faceBox->setFixedSize(388, 452);
    m_canvas.layoutSurfaces();
    m_panel->picPreview->setClientSize({Portrait::Width, Portrait::Height});
    m_canvas.DrawGrid();
    if (m_toolbar->gridPressed())
        m_canvas.BltGrid();
    if (m_layoutPasses == 0)
        initialiseState();
    ++m_layoutPasses;
}

void frmMain::initialiseState()
{
    m_state.reset();
    m_version->setText(m_state.Version);
}

void frmMain::Form_MouseMove()
{
    m_canvas.clearView();
    m_canvas.RedrawFace();
    m_canvas.picFace().present();
}

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing never asks: whatever is unsaved is left behind.
    if (m_libraryStarted) {
        FreeImageLibrary::deinitialise();
        m_libraryStarted = false;
    }
    event->accept();
}
