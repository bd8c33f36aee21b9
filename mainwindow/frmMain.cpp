#include "mainwindow/frmMain.h"

#include "about/frmAbout.h"
#include "canvas/RgbPopup.h"
#include "files/PortraitFiles.h"
#include "files/PortraitRecovery.h"
#include "import/ImportCommand.h"
#include "import/SandboxedDecoder.h"
#include "import/SandboxedFaceLocator.h"
#include "mainwindow/AsSavedPreview.h"
#include "mainwindow/ButtonPopupFace.h"
#include "mainwindow/ClipboardCommands.h"
#include "mainwindow/ColourCommands.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ColourWellsAndOptions.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/EditorSettings.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/MainToolEnvironment.h"
#include "mainwindow/PaletteStrip.h"
#include "mainwindow/PictureDrop.h"
#include "mainwindow/PortraitTransforms.h"
#include "mainwindow/RecentFiles.h"
#include "platform/BusyWait.h"
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
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSessionManager>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

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

    m_panel = std::make_unique<ControlPanel>(this, m_document.picPreview());

    // The view is drawn at paint time, straight from the portrait and its layers.
    m_viewScroller = new QScrollArea(this);
    m_viewScroller->setObjectName(QStringLiteral("scrView"));
    m_viewScroller->setFrameShape(QFrame::NoFrame);
    m_viewScroller->setFocusPolicy(Qt::NoFocus);
    m_viewScroller->setWidgetResizable(false);
    m_faceBox = new PictureBox;
    m_faceBox->setObjectName(QStringLiteral("picFace"));
    m_faceBox->setRenderer([this](QImage& target, const QRect& area) { m_canvas.render(target, area); });
    m_faceBox->setCursor(Qt::CrossCursor);
    // The arrow keys and Space paint from the keyboard: Tab reaches the view too.
    m_faceBox->setFocusPolicy(Qt::StrongFocus);
    m_faceBox->installEventFilter(this);
    m_viewScroller->setWidget(m_faceBox);
    connect(&m_canvas, &PortraitCanvas::viewChanged, m_faceBox, &PictureBox::updateArea);

    m_zoomIn = new QAction(tr("Zoom in"), this);
    m_zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(m_zoomIn, &QAction::triggered, this, [this] { stepViewZoom(1); });
    m_zoomOut = new QAction(tr("Zoom out"), this);
    m_zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(m_zoomOut, &QAction::triggered, this, [this] { stepViewZoom(-1); });
    addActions({m_zoomIn, m_zoomOut});

    m_version = new QLabel(this);
    m_version->setGeometry(248, 484, 385, 13);
    m_version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_statusBar = new StatusBar(
        {{420, tr("Ready.")}, {120, QStringLiteral("RGB(0,0,0)")}, {96, QStringLiteral("(0, 0)")}}, this);
    m_statusBar->setGeometry(0, ClientHeight - StatusBarHeight, ClientWidth, StatusBarHeight);
    m_busy = new BusyWait(m_statusBar, this);
    m_decoder = std::make_unique<SandboxedDecoder>(m_busy);
    m_files = std::make_unique<PortraitFiles>(m_document, m_state, *m_dialogs, *m_statusBar);
    m_files->setDecoder(m_decoder.get());

    m_import = std::make_unique<ImportCommand>(this, *m_dialogs, m_document, m_canvas, *m_statusBar,
                                               [this] { return m_panel->picBG->fill(); });
    m_import->setViewToKeepVisible(m_viewScroller);
    m_import->loader().setBusyWait(m_busy);
    // The import window's A key: faces found by the helper's detector, off this thread.
    m_faces = std::make_unique<SandboxedFaceLocator>(m_busy);
    m_import->setFaceLocator(m_faces.get());
    m_import->setScalingSource([this] {
        return m_panel->optSmooth->isChecked() ? PictureScale::Filter::Smooth : PictureScale::Filter::Sharp;
    });
    m_toolEnvironment = std::make_unique<MainToolEnvironment>(m_state, *m_panel, *m_statusBar, *m_faceBox);
    m_tools = std::make_unique<PaintingTools>(m_document, m_canvas, m_state, *m_toolEnvironment);
    m_popupFace = std::make_unique<ButtonPopupFace>(this, *m_dialogs);
    m_popup = std::make_unique<RgbPopup>(m_canvas, m_state, *m_tools, *m_popupFace, [this] {
        if (m_panel->optRGBN->isChecked())
            return RgbPopup::Option::Never;
        return m_panel->optRGBS->isChecked() ? RgbPopup::Option::OnlyWithCtrl : RgbPopup::Option::Always;
    });
    m_toolEnvironment->setPopup([this](int shift, float x, float y) { m_popup->popupStep(shift, x, y); },
                                [this] { RedrawRGB(); });
    m_options = new ColourWellsAndOptions(*m_panel, m_state, *m_dialogs, this);
    // A dropped file is decoded once: a portrait opens with those pixels, any other
    // picture goes to the import window with them.
    m_drop = new PictureDrop(*this, [this](const QString& path) {
        m_import->takePicture(PictureSource::file(path), [this](const QString& name, const QImage& pixels) {
            m_files->openDecoded(name, pixels);
        });
    });

    connect(m_faceBox, &PictureBox::mouseDown, this, &frmMain::picFace_MouseDown);
    // The popup goes with the pointer: off the view onto the toolbar or a panel, it would
    // otherwise stay over the portrait while a command's dialog is open.
    connect(m_faceBox, &PictureBox::pointerLeft, this, &frmMain::Form_MouseMove);
    connect(m_faceBox, &PictureBox::mouseMove, this, &frmMain::picFace_MouseMove);
    connect(m_faceBox, &PictureBox::mouseUp, this, &frmMain::picFace_MouseUp);
    connect(m_faceBox, &PictureBox::keyDown, this, &frmMain::picFace_KeyDown);
    connect(m_faceBox, &PictureBox::keyUp, this, &frmMain::picFace_KeyUp);
    connect(m_faceBox, &PictureBox::focusLost, this, [this] { m_tools->picFace_FocusLost(); });
    connect(m_toolbar, &MainToolBar::buttonClick, this, &frmMain::tlbMain_ButtonClick);
    connect(&m_document, &PortraitDocument::changed, this, [this] { m_tools->portraitChanged(); });
    m_asSaved = std::make_unique<AsSavedPreview>(m_document, m_canvas, m_state, *m_faceBox, *m_panel);
    connect(m_options, &ColourWellsAndOptions::outputChanged, m_asSaved.get(),
            &AsSavedPreview::outputChanged);

    m_colourCommands = new ColourCommands(this, m_document, m_canvas, m_state, *m_statusBar);
    connect(m_panel->cmdReduce, &QPushButton::clicked, m_colourCommands, &ColourCommands::ReduceColours);
    connect(m_panel->cmdMerge, &QPushButton::clicked, m_colourCommands, &ColourCommands::MergeColours);
    connect(m_panel->cmdAdjust, &QPushButton::clicked, m_colourCommands, &ColourCommands::AdjustColours);

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

    m_save = new QAction(tr("Save"), this);
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(m_save, &QAction::triggered, this, &frmMain::SaveInPlace);
    m_saveAs = new QAction(tr("Save As..."), this);
    m_saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(m_saveAs, &QAction::triggered, this, &frmMain::SavePortrait);
    addActions({m_save, m_saveAs});
    m_recent = new RecentFiles(
        qobject_cast<QToolButton*>(m_toolbar->widgetForAction(m_toolbar->buttonByTag("Open"))), *m_statusBar,
        [this](const QString& file) { m_files->openFile(file); }, this);
    m_files->setFileListener([this](const QString& file, bool openedOrSaved) {
        if (openedOrSaved)
            m_recent->add(file);
        updateTitle();
    });
    connect(&m_document.history(), &QUndoStack::cleanChanged, this, &frmMain::updateTitle);
    m_transforms = new PortraitTransforms(this, m_document);
    m_clipboard = new ClipboardCommands(this, m_document, *m_import, *m_statusBar,
                                        [this] { return toQRgb(m_panel->picBG->fill()); });

    // The portrait's colours: counted again after every change; a click picks as Grab
    // Color does (Shift, Ctrl or Alt: the replace colours).
    m_panel->picPalette->setSource([this] { return m_document.picPreview().image(); });
    m_panel->picPalette->recount();
    connect(&m_document, &PortraitDocument::changed, m_panel->picPalette, &PaletteStrip::portraitChanged);
    connect(m_panel->picPalette, &PaletteStrip::colourClicked, this, [this](Colour c, int button, int shift) {
        using Well = ToolEnvironment::Well;
        const bool modified = shift != 0;
        m_toolEnvironment->pickColour(button == 1 ? (modified ? Well::Replace1 : Well::Foreground)
                                                  : (modified ? Well::Replace2 : Well::Background),
                                      c);
    });

    m_recovery = std::make_unique<PortraitRecovery>([this] {
        return PortraitRecovery::Snapshot{m_document.picPreview().image().copy(), m_files->portraitFile(),
                                          m_document.isModified()};
    });
    connect(&m_document, &PortraitDocument::changed, m_recovery.get(), &PortraitRecovery::noteChange);
    connect(&m_document.history(), &QUndoStack::cleanChanged, m_recovery.get(),
            &PortraitRecovery::noteChange);
    connect(m_recovery.get(), &PortraitRecovery::copyFailed, this, [this](const QString& why) {
        QString reason = why;
        if (!reason.endsWith(u'.'))
            reason += u'.';
        m_statusBar->setPanelText(1, tr("No recovery copy could be written: %1").arg(reason));
    });
    m_recovery->setDecoder(m_decoder.get());
    // An answer given at the end of a session holds only for the portrait it was given for.
    connect(&m_document, &PortraitDocument::changed, this,
            [this] { m_closeSettled = m_keepRecovery = false; });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &frmMain::commitData);

    layoutView();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
    m_faceBox->setFocus();
}

frmMain::~frmMain()
{
    // The view outlives the members its handlers reach (its focus goes as the window
    // closes): it reports to no one and draws nothing from here on.
    disconnect(m_faceBox, nullptr, this, nullptr);
    // The history says it is clean again as it goes, after the file commands went.
    disconnect(&m_document.history(), nullptr, this, nullptr);
    m_files->setFileListener({});
    m_faceBox->removeEventFilter(this);
    m_faceBox->setRenderer({});
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

void frmMain::SaveInPlace()
{
    m_files->SaveInPlace();
}

void frmMain::updateTitle()
{
    const QString file = m_files->portraitFile();
    setWindowFilePath(file);
    if (file.isEmpty()) {
        setWindowModified(false);
        setWindowTitle(tr("Pictoria"));
        return;
    }
    // "[*]" marks where Qt puts the "*"; one in the name itself is written twice.
    QString name = QFileInfo(file).fileName();
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(tr("%1[*] - Pictoria").arg(name));
    setWindowModified(m_document.isModified());
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
    layoutView();
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
    // Takes the popup off, repainting just where it was; nothing else of the view changed.
    m_canvas.RedrawFace();
}

bool frmMain::setViewZoom(int zoom)
{
    if (!m_canvas.setZoom(zoom))
        return zoom == m_canvas.zoom();
    layoutView();
    m_faceBox->update(); // border and all, at the new size
    // The cell cursor stays in sight.
    if (const std::optional<QPoint> cell = m_canvas.cellCursor())
        m_toolEnvironment->keepInView(m_canvas.cellRect(*cell));
    return true;
}

void frmMain::stepViewZoom(int steps)
{
    setViewZoom(m_canvas.steppedZoom(steps));
}

void frmMain::layoutView()
{
    const QSize box = m_canvas.viewSize() + QSize(4, 4);
    m_faceBox->setFixedSize(box);
    // At zoom 8 the view fills its place of the design; a larger one takes more of the
    // window, to the right and down, as far as the screen has room. The rest scrolls.
    const QSize place(388, 452);
    QSize shown = box;
    if (QScreen* s = screen()) {
        const QSize room = s->availableGeometry().size() - (frameGeometry().size() - size());
        const QSize most = room - QSize(ClientWidth, ClientHeight) + place;
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        bool down = box.height() > most.height();
        bool across = box.width() > most.width();
        // A scroll bar takes room from the other side.
        across = across || (down && box.width() + bar > most.width());
        down = down || (across && box.height() + bar > most.height());
        shown = QSize(across ? most.width() : box.width() + (down ? bar : 0),
                      down ? most.height() : box.height() + (across ? bar : 0));
    }
    const QSize grown(std::max(0, shown.width() - place.width()),
                      std::max(0, shown.height() - place.height()));
    const QSize client = QSize(ClientWidth, ClientHeight) + grown;
    m_viewScroller->setGeometry(QRect(QPoint(248, 28), shown));
    m_version->setGeometry(248, 484 + grown.height(), 385 + grown.width(), 13);
    m_panel->framePortrait->move(ControlPanel::PortraitFrame.topLeft() + QPoint(0, grown.height()));
    m_toolbar->setGeometry(0, 0, client.width(), 22);
    m_statusBar->setGeometry(0, client.height() - StatusBarHeight, client.width(), StatusBarHeight);
    if (size() == client)
        return;
    setFixedSize(client);
    // A window grown past the screen's edge comes back onto it.
    if (QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveRight(std::min(frame.right(), room.right()));
        frame.moveBottom(std::min(frame.bottom(), room.bottom()));
        frame.moveLeft(std::max(frame.left(), room.left()));
        frame.moveTop(std::max(frame.top(), room.top()));
        move(frame.topLeft());
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+wheel over the view zooms it, a step a notch; the wheel alone scrolls it.
    if (watched == m_faceBox && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            m_wheelRemainder += wheel->angleDelta().y();
            const int notches = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
            m_wheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
            if (notches != 0)
                stepViewZoom(notches);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

bool frmMain::confirmClose()
{
    if (!m_document.isModified())
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
        m_keepRecovery = m_document.isModified();
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
    // A picture still being read is let go; its command changes nothing.
    m_busy->cancel();
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
    if (found.empty())
        return;
    const auto what = [](const PortraitRecovery::Orphan& orphan) {
        return orphan.source.isEmpty() ? tr("a new portrait") : QDir::toNativeSeparators(orphan.source);
    };
    // One question however many runs ended so: Restore takes the newest copy (the others
    // wait for the next start), Discard deletes them all, Escape keeps them all.
    PortraitRecovery::Orphan& newest = found.front();
    QString question;
    if (found.size() == 1) {
        question = tr("Pictoria ended without saving the changes to %1.").arg(what(newest)) +
                   QStringLiteral("\r\n") + tr("Restore the portrait as it was then?");
    } else {
        question = tr("Pictoria ended %n times without saving the changes to a portrait:", nullptr,
                      int(found.size()));
        for (const PortraitRecovery::Orphan& orphan : found)
            question += QStringLiteral("\r\n") + what(orphan);
        question +=
            QStringLiteral("\r\n") +
            tr("Restore the latest, %1, as it was then? Discard deletes all of them.").arg(what(newest));
    }
    const MessageResult answer = m_dialogs->message(question, tr("Restore Portrait"),
                                                    MessageButtons::RestoreDiscard, MessageIcon::Question);
    if (answer == MessageResult::Restore) {
        m_document.restorePortrait(newest.portrait.convertToFormat(QImage::Format_RGB32));
        if (!m_document.isModified())
            m_document.history().resetClean(); // the same pixels, but still unsaved work
        m_files->setPortraitFile(newest.source);
        if (!newest.source.isEmpty())
            m_files->setLastFolder(QFileInfo(newest.source).absolutePath());
        m_recovery->writeNow();
        PortraitRecovery::remove(newest);
    } else if (answer == MessageResult::Discard) {
        for (PortraitRecovery::Orphan& orphan : found)
            PortraitRecovery::remove(orphan);
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

void frmMain::picFace_KeyUp(int KeyCode, int Shift)
{
    m_tools->picFace_KeyUp(KeyCode, Shift);
}

void frmMain::RedrawRGB()
{
    m_popup->RedrawRGB();
}

void frmMain::tlbMain_ButtonClick(const QString& tag)
{
    if (tag == QLatin1String("About")) {
        ShowAbout();
    } else if (tag == QLatin1String("Grid")) {
        m_canvas.RedrawFace(); // with the grid switched, the whole view
    } else if (const std::optional<ToolId> tool = Tools::fromTag(tag)) {
        m_state.CurrentTool = Tools::tagOf(*tool);
    } else if (tag == QLatin1String("Open")) {
        OpenPortrait();
    } else if (tag == QLatin1String("Save")) {
        SavePortrait();
    } else if (tag == QLatin1String("Import")) {
        ImportBitmap();
    } else if (tag == QLatin1String("New")) {
        NewPortrait();
    }
    showToolControls();
}

void frmMain::showToolControls()
{
    // The view's pointer and the gamma step box belong to the current tool, whichever
    // button was pressed last.
    const std::optional<ToolId> tool = Tools::fromTag(m_state.CurrentTool);
    m_toolEnvironment->setViewCursor(tool == ToolId::Selector ? ToolEnvironment::ViewCursor::Eyedropper
                                                              : ToolEnvironment::ViewCursor::Crosshair);
    const bool gamma = tool == ToolId::Gamma;
    m_panel->txtGamma->setEnabled(gamma);
    m_panel->lblGamma->setEnabled(gamma);
}

void frmMain::ShowAbout()
{
    frmAbout about(Version(), this);
    about.exec();
}
