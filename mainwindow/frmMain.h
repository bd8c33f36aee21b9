#pragma once

#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"

#include <QWidget>
#include <memory>

class AsSavedPreview;
class BusyWait;
class ButtonPopupFace;
class ClipboardCommands;
class ColourCommands;
class ColourWellsAndOptions;
class RgbPopup;
class ControlPanel;
class ImportCommand;
class Dialogs;
class MainToolEnvironment;
class PaintingTools;
class MainToolBar;
class PictureBox;
class PictureDrop;
class PortraitFiles;
class PortraitTransforms;
class RecentFiles;
class QAction;
class QScrollArea;
class PortraitRecovery;
class QSessionManager;
class QLabel;
class SandboxedDecoder;
class SandboxedFaceLocator;
class StatusBar;

// The main window: composition root of the editor. It owns the controls, the
// editing state, the portrait (document and canvas), and hands each event to the
// part that handles it.
class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 640;
    // The original 520, grown at the bottom edge for the "Portrait" frame.
    static constexpr int ClientHeight = 613;
    static constexpr int StatusBarHeight = 16;

    // Dialogs default to Qt's own; tests pass a scripted double.
    explicit frmMain(std::shared_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    EditingState& state() { return m_state; }
    const EditingState& state() const { return m_state; }
    const QString& Version() const { return m_state.Version; }
    PortraitDocument& document() { return m_document; }
    PortraitCanvas& canvas() { return m_canvas; }
    Dialogs& dialogs() { return *m_dialogs; }

    MainToolBar* tlbMain() const { return m_toolbar; }
    StatusBar* stbMain() const { return m_statusBar; }
    PictureBox* picFaceBox() const { return m_faceBox; }
    // What holds the view: it scrolls the view where the screen has no room for all of it.
    QScrollArea* viewScroller() const { return m_viewScroller; }
    QLabel* lblVersion() const { return m_version; }
    ControlPanel& panel() { return *m_panel; }

    // The layout pass: on first show and whenever the window is restored.
    void Form_Resize();
    // The view at a zoom of PortraitCanvas::Zooms (any other is refused), the window
    // laid out around it; and a step up or down from the current one.
    bool setViewZoom(int zoom);
    void stepViewZoom(int steps);
    QAction* zoomInAction() const { return m_zoomIn; }
    QAction* zoomOutAction() const { return m_zoomOut; }
    // The pointer over the window's own background removes any overlay from the view.
    void Form_MouseMove();
    int layoutPasses() const { return m_layoutPasses; }

    // The drawing methods other parts call.
    void RedrawFace() { m_canvas.RedrawFace(); }
    void BltGrid() { m_canvas.BltGrid(); }
    void DrawGrid() { m_canvas.DrawGrid(); }
    void DrawtoBB() { m_canvas.DrawtoBB(); }
    // Redraws the view and the RGB popup at the last pointer position.
    void RedrawRGB();

    // The view's events go to the painting tools.
    void picFace_MouseDown(int Button, int Shift, float X, float Y);
    void picFace_MouseMove(int Button, int Shift, float X, float Y);
    void picFace_MouseUp(int Button, int Shift, float X, float Y);
    void picFace_KeyDown(int KeyCode, int Shift);
    void picFace_KeyUp(int KeyCode, int Shift);
    PaintingTools& tools() { return *m_tools; }
    ColourWellsAndOptions& options() { return *m_options; }
    ButtonPopupFace& popupFace() { return *m_popupFace; }

    // The toolbar's click handler, run after the button's pressed state changed.
    void tlbMain_ButtonClick(const QString& tag);

    // The commands the toolbar starts.
    void NewPortrait();
    void OpenPortrait();
    void SavePortrait();
    // Ctrl+S: back to the portrait's own file without a dialog (asks when it has none).
    void SaveInPlace();
    void ImportBitmap();
    void ShowAbout();

    // Asks "Save changes..." when the portrait has unsaved changes; true when the
    // window may go (nothing unsaved, Discard, or Save wrote the file).
    bool confirmClose();
    // Offers the copies left by editors that did not end normally, all in one question:
    // the newest is restored, or all are discarded, or all are kept for the next start.
    void offerRecovery();
    PortraitRecovery& recovery() { return *m_recovery; }

    ImportCommand& importCommand() { return *m_import; }
    PortraitFiles& files() { return *m_files; }
    AsSavedPreview& asSaved() { return *m_asSaved; }
    ColourCommands& colourCommands() { return *m_colourCommands; }
    RecentFiles& recentFiles() { return *m_recent; }
    PortraitTransforms& transforms() { return *m_transforms; }
    ClipboardCommands& clipboard() { return *m_clipboard; }
    QAction* saveAction() const { return m_save; }
    QAction* saveAsAction() const { return m_saveAs; }
    // Every decode of a picture the user names waits on it, off the interface thread.
    BusyWait& busyWait() { return *m_busy; }
    // Open, a restored recovery copy and a dropped file decode through it.
    SandboxedDecoder& decoder() { return *m_decoder; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initialiseState();
    // The view's pointer and the gamma step box as the current tool has them.
    void showToolControls();
    // Sizes the view and the window to the zoom: the window grows to the right and down
    // for a view larger than at zoom 8 while the screen has room; the rest scrolls.
    void layoutView();
    void commitData(QSessionManager& manager);
    // "face.jpg - Pictoria", with "*" after the name while there are unsaved changes;
    // "Pictoria" for a portrait without a file.
    void updateTitle();

    std::shared_ptr<Dialogs> m_dialogs;
    EditingState m_state;
    PortraitDocument m_document;
    PortraitCanvas m_canvas{m_document};
    MainToolBar* m_toolbar;
    StatusBar* m_statusBar;
    BusyWait* m_busy;
    std::unique_ptr<SandboxedDecoder> m_decoder;
    std::unique_ptr<SandboxedFaceLocator> m_faces;
    PictureBox* m_faceBox;
    QScrollArea* m_viewScroller;
    QAction* m_zoomIn;
    QAction* m_zoomOut;
    int m_wheelRemainder = 0;
    QLabel* m_version;
    std::unique_ptr<ControlPanel> m_panel;
    std::unique_ptr<ImportCommand> m_import;
    std::unique_ptr<MainToolEnvironment> m_toolEnvironment;
    std::unique_ptr<PaintingTools> m_tools;
    std::unique_ptr<ButtonPopupFace> m_popupFace;
    std::unique_ptr<RgbPopup> m_popup;
    ColourWellsAndOptions* m_options;
    std::unique_ptr<PortraitFiles> m_files;
    std::unique_ptr<AsSavedPreview> m_asSaved;
    ColourCommands* m_colourCommands;
    RecentFiles* m_recent;
    PortraitTransforms* m_transforms;
    ClipboardCommands* m_clipboard;
    QAction* m_save;
    QAction* m_saveAs;
    PictureDrop* m_drop;
    std::unique_ptr<PortraitRecovery> m_recovery;
    int m_layoutPasses = 0;
    bool m_closeSettled = false; // the session's end already had its answer
    bool m_keepRecovery = false; // the session ended without leave to ask
};
