#include "import/frmImport.h"

#include "canvas/PortraitCanvas.h"
#include "import/OutlineShape.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"

#include <QCloseEvent>
#include <QTimer>
#include <algorithm>
#include <cstring>

using namespace Portrait;

namespace {
constexpr int ContainerMargin = 4;

// Through the C library's memcpy, opaque to the optimiser, so the constant size does not become a
// slow inlined string move.
[[gnu::noipa]] void copyRow(QRgb* d, const QRgb* s, int n)
{
    std::memcpy(d, s, std::size_t(n) * sizeof(QRgb));
}
} // namespace

frmImport::frmImport(PortraitCanvas& canvas, StatusBar& status, std::function<Colour()> background,
                     QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_canvas(canvas), m_status(status), m_background(std::move(background)), m_picture(1, 1, 0),
      m_importBuffer(ViewWidth, ViewHeight, 0), m_rgb(21, 21, 0)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import Picture"));
    setModal(true);
    setMouseTracking(true);

    picContainer = new PictureBox(this, true);
    picContainer->setObjectName(QStringLiteral("picContainer"));
    picImage = new PictureBox(picContainer, false);
    picImage->setObjectName(QStringLiteral("picImage"));
    picImage->setSurface(&m_picture);
    picImage->setCursor(Qt::CrossCursor);
    picImage->move(picContainer->clientOrigin());

    shpCursor = new OutlineShape(ImportRegion::OutlineWidth, ImportRegion::OutlineHeight, picImage);
    shpCursor->setObjectName(QStringLiteral("shpCursor"));
    shpCursor->hide();

    connect(picImage, &PictureBox::mouseDown, this, &frmImport::picImage_MouseDown);
    connect(picImage, &PictureBox::mouseMove, this, &frmImport::picImage_MouseMove);
    connect(picImage, &PictureBox::mouseUp, this, &frmImport::picImage_MouseUp);

    // The pulse runs from creation on, but rests while the window is hidden: no wake-ups
    // for a window no one sees. Showing the window again continues from the same step.
    tmrFader = new QTimer(this);
    tmrFader->setInterval(10);
    connect(tmrFader, &QTimer::timeout, this, [this] {
        if (isHidden()) {
            restPulse();
            return;
        }
        tmrFader_Timer();
    });
    tmrFader->start();

    fitToPicture();
}

void frmImport::fitToPicture()
{
    const QSize picture = m_picture.size();
    picImage->setFixedSize(picture);
    picContainer->setClientSize(picture);
    picContainer->move(ContainerMargin, ContainerMargin);
    // The design's outer size is the container plus 14 by plus 32: a 3-pixel frame and an
    // 18-pixel caption around a client of the container plus 8 each way. The window
    // system draws its own frame around that client.
    setFixedSize(picContainer->width() + 2 * ContainerMargin, picContainer->height() + 2 * ContainerMargin);
    m_picture.present();
}

void frmImport::picImage_MouseDown(int, int, float, float)
{
    bMouseDown = true;
}

void frmImport::picImage_MouseMove(int, int, float X, float Y)
{
    const ImportRegion region = ImportRegion::at(X, Y);
    shpCursor->move(region.outline);
    shpCursor->show();
    shpCursor->raise();
    if (!bMouseDown)
        return;

    m_canvas.importRegion(m_picture.image(), region.origin.x(), region.origin.y(), m_background());
    DrawtoBB();
    m_status.setPanelText(1, region.statusText());
}

void frmImport::picImage_MouseUp(int, int, float, float)
{
    bMouseDown = false;
    hide();
}

void frmImport::Form_MouseMove()
{
    shpCursor->hide();
}

void frmImport::tmrFader_Timer()
{
    int g;
    if (FadeDirection == 0)
        g = 5 * FadeStep;
    else if (FadeDirection == -1)
        g = 255 - 5 * FadeStep;
    else
        return;
    shpCursor->setBorderColor(RGBColour(g, g, g));
    if (++FadeStep == 51) {
        FadeStep = 0;
        FadeDirection = FadeDirection == 0 ? -1 : 0;
    }
}

void frmImport::restPulse()
{
    if (!tmrFader->isActive())
        return;
    tmrFader->stop();
    m_pulseResting = true;
}

void frmImport::showEvent(QShowEvent* event)
{
    if (m_pulseResting) {
        m_pulseResting = false;
        tmrFader->start();
    }
    QDialog::showEvent(event);
}

void frmImport::hideEvent(QHideEvent* event)
{
    restPulse();
    QDialog::hideEvent(event);
}

void frmImport::DrawtoBB()
{
    const Surface& preview = m_canvas.picPreview();
    if (m_importBuffer.size() == QSize(ViewWidth, ViewHeight) && m_rgb.width() >= Zoom &&
        m_rgb.height() >= Zoom && preview.size() == QSize(Width, Height)) {
        // The same pixels as a block copy from the swatch per cell, a row of blocks at a time.
        QRgb row[ViewWidth];
        Colour last = m_rgb.backColor();
        for (int i = 0; i < Height; ++i) {
            const auto* store = reinterpret_cast<const QRgb*>(preview.image().constScanLine(i));
            for (int j = 0; j < Width; ++j)
                std::fill(row + Zoom * j, row + Zoom * (j + 1), toQRgb(fromQRgb(store[j])) | 0xFF000000u);
            if (i == Height - 1)
                last = fromQRgb(store[Width - 1]);
            for (int k = 0; k < Zoom; ++k)
                copyRow(reinterpret_cast<QRgb*>(m_importBuffer.image().scanLine(Zoom * i + k)), row,
                        ViewWidth);
        }
        m_rgb.setBackColor(last); // the swatch ends as the last cell left it
        m_importBuffer.present();
        m_canvas.setBackBuffer(m_importBuffer);
        return;
    }
    for (int i = 0; i < Height; ++i) {
        for (int j = 0; j < Width; ++j) {
            m_rgb.setBackColor(preview.pixel(j, i));
            m_importBuffer.copyFrom(m_rgb, Zoom * j, Zoom * i, Zoom, Zoom, 0, 0);
        }
    }
    m_importBuffer.present();
    // The main window's back buffer takes the rendering and its view is redrawn.
    m_canvas.setBackBuffer(m_importBuffer);
}

void frmImport::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void frmImport::closeEvent(QCloseEvent* event)
{
    // The close box ends the import as a release does: no further copy.
    bMouseDown = false;
    QDialog::closeEvent(event);
}
