#pragma once

#include "import/ImportRegion.h"
#include "platform/Surface.h"

#include <QDialog>
#include <functional>

class OutlineShape;
class PictureBox;
class PortraitCanvas;
class QTimer;
class StatusBar;

// The import window: the loaded picture at 1:1 under a portrait-sized outline that
// follows the pointer and pulses grey. Dragging copies the region inside the outline
// into the portrait on every move; releasing (or the close box) ends the import.
// Created once and hidden after each pick; its state and its pulse carry on.
class frmImport : public QDialog {
    Q_OBJECT
public:
    frmImport(PortraitCanvas& canvas, StatusBar& status, std::function<Colour()> background,
              QWidget* owner = nullptr);

    PictureBox* picContainer;
    PictureBox* picImage;
    OutlineShape* shpCursor;
    QTimer* tmrFader;

    // The loaded picture, drawn by the loader.
    Surface& pictureSurface() { return m_picture; }
    Surface& picImportBuffer() { return m_importBuffer; }
    Surface& picRGB() { return m_rgb; }

    bool bMouseDown = false;
    int FadeDirection = 0;
    int FadeStep = 0;

    void picImage_MouseDown(int Button, int Shift, float X, float Y);
    void picImage_MouseMove(int Button, int Shift, float X, float Y);
    void picImage_MouseUp(int Button, int Shift, float X, float Y);
    void Form_MouseMove();
    void tmrFader_Timer();
    void DrawtoBB();

    // Lays the window out around the picture as it now is: the container's border
    // hugs the picture, 4 pixels of window around the container.
    void fitToPicture();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void restPulse();

    bool m_pulseResting = false;
    PortraitCanvas& m_canvas;
    StatusBar& m_status;
    std::function<Colour()> m_background;
    Surface m_picture;
    Surface m_importBuffer;
    Surface m_rgb;
};
