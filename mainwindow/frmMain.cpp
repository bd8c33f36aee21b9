#include "mainwindow/frmMain.h"

#include "about/frmAbout.h"
#include "canvas/RgbPopup.h"
#include "files/PortraitFiles.h"
#include "files/PortraitRecovery.h"
#include "import/ImportCommand.h"
#include "mainwindow/AsSavedPreview.h"
#include "mainwindow/ButtonPopupFace.h"
#include "mainwindow/ColourCommands.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ColourWellsAndOptions.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/EditorSettings.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/MainToolEnvironment.h"
#include "mainwindow/PictureDrop.h"
#include "platform/PictureBox.h"
#include "platform/PixelArt.h"
#include "platform/QtDialogs.h"
#include "platform/StatusBar.h"
#include "platform/UiFont.h"
#include "tools/PaintingTools.h"
#include "tools/ToolId.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSessionManager>

frmMain::frmMain(std::shared_ptr<Dialogs> dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs ? std::move(dialogs) : std::make_shared<QtDialogs>(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(tr("Pictoria"));
    setWindowIcon(PixelArt::applicationIcon());
    setFont(UiFont::font());
    setFixedSize(ClientWidth, ClientHeight);
    setMouseTracking(true);

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

    m_statusBar = new StatusBar(
        {{420, tr("Ready.")}, {120, QStringLiteral("RGB(0,0,0)")}, {96, QStringLiteral("(0, 0)")}}, this);
    m_statusBar->setGeometry(0, ClientHeight - StatusBarHeight, ClientWidth, StatusBarHeight);
    m_files = std::make_unique<PortraitFiles>(m_canvas, m_state, *m_dialogs, *m_statusBar);

    m_import = std::make_unique<ImportCommand>(this, *m_dialogs, m_canvas, *m_statusBar,
                                               [this] { return m_panel->picBG->fill(); });
    m_import->setViewToKeepVisible(m_faceBox);
    m_import->setScalingSource([this] {
        return m_panel->optSmooth->isChecked() ? PictureScale::Filter::Smooth : PictureScale::Filter::Sharp;
    });
    m_toolEnvironment = std::make_unique<MainToolEnvironment>(m_state, *m_panel, *m_statusBar, *m_faceBox);
    m_tools = std::make_unique<PaintingTools>(m_canvas, m_state, *m_toolEnvironment);
    m_popupFace = std::make_unique<ButtonPopupFace>(this, *m_dialogs);
    m_popup = std::make_unique<RgbPopup>(m_canvas, m_state, *m_tools, *m_popupFace, [this] {
        if (m_panel->optRGBN->isChecked())
            return RgbPopup::Option::Never;
        return m_panel->optRGBS->isChecked() ? RgbPopup::Option::OnlyWithCtrl : RgbPopup::Option::Always;
    });
    m_toolEnvironment->setPopup([this](int shift, float x, float y) { m_popup->popupStep(shift, x, y); },
                                [this] { RedrawRGB(); });
    m_options = new ColourWellsAndOptions(*m_panel, m_state, *m_dialogs, this);
    m_drop = new PictureDrop(
        *this, [this](const QString& path) { m_files->openFile(path); },
        [this](const QString& path) { m_import->importFile(path); });

    connect(m_faceBox, &PictureBox::mouseDown, this, &frmMain::picFace_MouseDown);
    connect(m_faceBox, &PictureBox::mouseMove, this, &frmMain::picFace_MouseMove);
    connect(m_faceBox, &PictureBox::mouseUp, this, &frmMain::picFace_MouseUp);
    connect(m_faceBox, &PictureBox::keyDown, this, &frmMain::picFace_KeyDown);
    connect(m_toolbar, &MainToolBar::buttonClick, this, &frmMain::tlbMain_ButtonClick);
    connect(&m_canvas, &PortraitCanvas::portraitChanged, this, [this] { m_tools->portraitChanged(); });
    // After the view's own handlers, so that the held preview stays on top of their redraws.
    m_asSaved = std::make_unique<AsSavedPreview>(m_canvas, m_state, *m_faceBox, *m_panel);
    connect(m_options, &ColourWellsAndOptions::outputChanged, m_asSaved.get(),
            &AsSavedPreview::outputChanged);

    m_colourCommands = new ColourCommands(this, m_canvas, m_state, *m_dialogs, *m_statusBar);
    connect(m_panel->cmdReduce, &QPushButton::clicked, m_colourCommands, &ColourCommands::ReduceColours);
    connect(m_panel->cmdMerge, &QPushButton::clicked, m_colourCommands, &ColourCommands::MergeColours);

    QAction* undo = new QAction(tr("Undo"), this);
    undo->setShortcuts(QKeySequence::Undo);
    undo->setEnabled(m_document.history().canUndo());
    connect(&m_document.history(), &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(undo, &QAction::triggered, &m_document, &PortraitDocument::undo);
    QAction* redo = new QAction(tr("Redo"), this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo->setEnabled(m_document.history().canRedo());
    connect(&m_document.history(), &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(redo, &QAction::triggered, &m_document, &PortraitDocument::redo);
    addActions({undo, redo});

    m_recovery = std::make_unique<PortraitRecovery>([this] {
        return PortraitRecovery::Snapshot{m_canvas.picPreview().image().copy(), m_files->portraitFile(),
                                          m_canvas.isModified()};
    });
    connect(&m_canvas, &PortraitCanvas::portraitChanged, m_recovery.get(), &PortraitRecovery::noteChange);
    connect(&m_canvas.history(), &QUndoStack::cleanChanged, m_recovery.get(), &PortraitRecovery::noteChange);
    // An answer given at the end of a session holds only for the portrait it was given for.
    connect(&m_canvas, &PortraitCanvas::portraitChanged, this,
            [this] { m_closeSettled = m_keepRecovery = false; });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &frmMain::commitData);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
    m_faceBox->setFocus();
}

frmMain::~frmMain()
{
    // The panel's handlers watch its controls: they go before the panel does.
    delete m_options;
}

void frmMain::ImportBitmap()
{
    m_import->ImportBitmap();
}

void frmMain::SavePortrait()
{
    m_files->SavePortrait();
}

void frmMain::OpenPortrait()
{
    m_files->OpenPortrait();
}

void frmMain::NewPortrait()
{
    m_files->NewPortrait();
}

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
    if (m_layoutPasses == 0) {
        initialiseState();
        EditorSettings::restore(*this);
    }
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

bool frmMain::confirmClose()
{
    if (!m_canvas.isModified())
        return true;
    switch (m_dialogs->message(tr("Save changes to the portrait before closing?"), tr("Pictoria"),
                               MessageButtons::SaveDiscardCancel, MessageIcon::Warning)) {
    case MessageResult::Save:
        return m_files->SavePortrait();
    case MessageResult::Discard:
        return true;
    default:
        return false;
    }
}

void frmMain::commitData(QSessionManager& manager)
{
    if (!manager.allowsInteraction()) {
        // No question may be asked: the recovery copy keeps the work for the next start.
        m_recovery->writeNow();
        m_keepRecovery = m_canvas.isModified();
        m_closeSettled = true;
        return;
    }
    if (confirmClose()) {
        m_closeSettled = true;
        manager.release();
    } else {
        manager.cancel();
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_closeSettled && !confirmClose()) {
        event->ignore();
        return;
    }
    EditorSettings::save(*this);
    if (!m_keepRecovery)
        m_recovery->finish();
    event->accept();
}

void frmMain::offerRecovery()
{
    std::vector<PortraitRecovery::Orphan> found = m_recovery->orphans();
    for (PortraitRecovery::Orphan& orphan : found) {
        const QString what =
            orphan.source.isEmpty() ? tr("a new portrait") : QDir::toNativeSeparators(orphan.source);
        const MessageResult answer =
            m_dialogs->message(tr("Pictoria ended without saving the changes to %1.").arg(what) +
                                   QStringLiteral("\r\n") + tr("Restore the portrait as it was then?"),
                               tr("Restore Portrait"), MessageButtons::RestoreDiscard, MessageIcon::Question);
        if (answer == MessageResult::Cancel)
            continue; // offered again at the next start
        if (answer == MessageResult::Restore) {
            m_canvas.restorePortrait(orphan.portrait.convertToFormat(QImage::Format_RGB32));
            if (!m_canvas.isModified())
                m_canvas.history().resetClean(); // the same pixels, but still unsaved work
            m_files->setPortraitFile(orphan.source);
            if (!orphan.source.isEmpty())
                m_files->setLastFolder(QFileInfo(orphan.source).absolutePath());
            m_recovery->writeNow();
        }
        PortraitRecovery::remove(orphan);
        if (answer == MessageResult::Restore)
            return;
    }
}

void frmMain::picFace_MouseDown(int Button, int Shift, float X, float Y)
{
    m_tools->picFace_MouseDown(Button, Shift, X, Y);
}

void frmMain::picFace_MouseMove(int Button, int Shift, float X, float Y)
{
    m_tools->picFace_MouseMove(Button, Shift, X, Y);
}

void frmMain::picFace_MouseUp(int Button, int Shift, float X, float Y)
{
    m_tools->picFace_MouseUp(Button, Shift, X, Y);
}

void frmMain::picFace_KeyDown(int KeyCode, int Shift)
{
    m_tools->picFace_KeyDown(KeyCode, Shift);
}

void frmMain::RedrawRGB()
{
    m_popup->RedrawRGB();
}

void frmMain::tlbMain_ButtonClick(const QString& tag)
{
    m_toolEnvironment->setViewCursor(ToolEnvironment::ViewCursor::Crosshair);
    m_panel->txtGamma->setEnabled(false);
    m_panel->lblGamma->setEnabled(false);

    if (tag == QLatin1String("About")) {
        ShowAbout();
    } else if (tag == QLatin1String("Grid")) {
        m_canvas.RedrawFace();
        m_canvas.picFace().present();
    } else if (const std::optional<ToolId> tool = Tools::fromTag(tag)) {
        m_state.CurrentTool = Tools::tagOf(*tool);
        switch (*tool) {
        case ToolId::Selector:
            m_toolEnvironment->setViewCursor(ToolEnvironment::ViewCursor::Eyedropper);
            break;
        case ToolId::Gamma:
            m_panel->txtGamma->setEnabled(true);
            m_panel->lblGamma->setEnabled(true);
            break;
        case ToolId::Brush:
        case ToolId::Fill:
        case ToolId::Replace:
            break;
        }
    } else if (tag == QLatin1String("Open")) {
        OpenPortrait();
    } else if (tag == QLatin1String("Save")) {
        SavePortrait();
    } else if (tag == QLatin1String("Import")) {
        ImportBitmap();
    } else if (tag == QLatin1String("New")) {
        NewPortrait();
    }
}

void frmMain::ShowAbout()
{
    frmAbout about(Version(), this);
    about.exec();
}
