#pragma once

#include "canvas/PortraitCanvas.h"
#include "mainwindow/EditingState.h"

#include <QWidget>
#include <memory>

class ControlPanel;
class Dialogs;
class MainToolBar;
class PictureBox;
class PortraitFiles;
class QLabel;
class StatusBar;

// The main window: composition root of the editor. It owns the controls, the
// editing state and the canvas, and hands each event to the part that handles it.
class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 640;
    static constexpr int ClientHeight = 520;

    // Dialogs default to Qt's own; tests pass a scripted double.
    explicit frmMain(std::shared_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    EditingState& state() { return m_state; }
    const EditingState& state() const { return m_state; }
    const QString& Version() const { return m_state.Version; }
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

    // The file commands of the toolbar.
    void SavePortrait();
    void OpenPortrait();
    void NewPortrait();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void initialiseState();

    std::shared_ptr<Dialogs> m_dialogs;
    EditingState m_state;
    PortraitCanvas m_canvas;
    MainToolBar* m_toolbar;
    StatusBar* m_statusBar;
    PictureBox* m_faceBox;
    QLabel* m_version;
    std::unique_ptr<ControlPanel> m_panel;
    std::unique_ptr<PortraitFiles> m_files;
    int m_layoutPasses = 0;
    bool m_libraryStarted = false;
};
