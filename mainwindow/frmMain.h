#pragma once

#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"

#include <QWidget>
#include <memory>

class AsSavedPreview;
class ButtonPopupFace;
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
class PortraitRecovery;
class QSessionManager;
class QLabel;
class StatusBar;

// The main window: composition root of the editor. It owns the controls, the
// editing state, the portrait (document and canvas), and hands each event to the
// part that handles it.
class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 640;
    // The original 520, grown at the bottom edge for the "Portrait" frame.
    static constexpr int ClientHeight = 591;
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
    QLabel* lblVersion() const { return m_version; }
    ControlPanel& panel() { return *m_panel; }

    // The layout pass: on first show and whenever the window is restored.
    void Form_Resize();
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
    PaintingTools& tools() { return *m_tools; }
    ColourWellsAndOptions& options() { return *m_options; }
    ButtonPopupFace& popupFace() { return *m_popupFace; }

    // The toolbar's click handler, run after the button's pressed state changed.
    void tlbMain_ButtonClick(const QString& tag);

    // The commands the toolbar starts.
    void NewPortrait();
    void OpenPortrait();
    void SavePortrait();
    void ImportBitmap();
    void ShowAbout();

    // Asks "Save changes..." when the portrait has unsaved changes; true when the
    // window may go (nothing unsaved, Discard, or Save wrote the file).
    bool confirmClose();
    // Offers the copies left by editors that did not end normally, one after another
    // until one is restored.
    void offerRecovery();
    PortraitRecovery& recovery() { return *m_recovery; }

    ImportCommand& importCommand() { return *m_import; }
    PortraitFiles& files() { return *m_files; }
    AsSavedPreview& asSaved() { return *m_asSaved; }
    ColourCommands& colourCommands() { return *m_colourCommands; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void initialiseState();
    void commitData(QSessionManager& manager);

    std::shared_ptr<Dialogs> m_dialogs;
    EditingState m_state;
    PortraitDocument m_document;
    PortraitCanvas m_canvas{m_document};
    MainToolBar* m_toolbar;
    StatusBar* m_statusBar;
    PictureBox* m_faceBox;
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
    PictureDrop* m_drop;
    std::unique_ptr<PortraitRecovery> m_recovery;
    int m_layoutPasses = 0;
    bool m_closeSettled = false; // the session's end already had its answer
    bool m_keepRecovery = false; // the session ended without leave to ask
};
