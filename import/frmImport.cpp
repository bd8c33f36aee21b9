#include "import/frmImport.h"

#include "canvas/PortraitCanvas.h"
#include "import/OutlineShape.h"
#include "import/PictureScale.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
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
    setWindowTitle(tr("Import Picture"));
    setModal(true);
    setMouseTracking(true);

    picContainer = new PictureBox(this, true);
    picContainer->setObjectName(QStringLiteral("picContainer"));
    // The container's inside scrolls when the picture is larger than the window can be;
    // otherwise it is exactly the picture and nothing scrolls.
    m_scroll = new QScrollArea(picContainer);
    m_scroll->setObjectName(QStringLiteral("scrImage"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(false);
    m_scroll->move(picContainer->clientOrigin());
    m_scroll->viewport()->setMouseTracking(true);
    m_scroll->viewport()->installEventFilter(this);
    picImage = new PictureBox(nullptr, false);
    picImage->setObjectName(QStringLiteral("picImage"));
    picImage->setSurface(&m_picture);
    picImage->setCursor(Qt::CrossCursor);
    m_scroll->setWidget(picImage);
    picImage->installEventFilter(this);

    shpCursor = new OutlineShape(ImportRegion::OutlineWidth, ImportRegion::OutlineHeight, picImage);
    shpCursor->setObjectName(QStringLiteral("shpCursor"));
    shpCursor->hide();

    connect(picImage, &PictureBox::mouseDown, this, &frmImport::picImage_MouseDown);
    connect(picImage, &PictureBox::mouseMove, this, &frmImport::picImage_MouseMove);
    connect(picImage, &PictureBox::mouseUp, this, &frmImport::picImage_MouseUp);
    connect(picImage, &PictureBox::keyDown, this, &frmImport::picImage_KeyDown);

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
    // A newly loaded picture starts at 1:1.
    m_loaded = m_picture.image();
    m_zoomStep = 0;
    m_wheelRemainder = 0;
    m_nudge = {};
    m_outlinePlaced = false;

    const QSize picture = m_picture.size();
    picImage->setFixedSize(picture);
    // The container's inside as large as the screen allows; a scroll bar along one side
    // takes room from the other.
    const QSize room = availableClientSize() - 2 * QSize(ContainerMargin, ContainerMargin) -
                       (picContainer->size() - picContainer->clientSize());
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    bool across = picture.width() > room.width();
    bool down = picture.height() > room.height();
    if (across && !down && picture.height() + bar > room.height())
        down = true;
    if (down && !across && picture.width() + bar > room.width())
        across = true;
    const QSize client(qMin(room.width(), picture.width() + (down ? bar : 0)),
                       qMin(room.height(), picture.height() + (across ? bar : 0)));
    picContainer->setClientSize(client);
    picContainer->move(ContainerMargin, ContainerMargin);
    m_scroll->setGeometry(QRect(picContainer->clientOrigin(), client));
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
    // The design's outer size is the container plus 14 by plus 32: a 3-pixel frame and an
    // 18-pixel caption around a client of the container plus 8 each way. The window
    // system draws its own frame around that client.
    setFixedSize(picContainer->width() + 2 * ContainerMargin, picContainer->height() + 2 * ContainerMargin);
    m_picture.present();
}

QSize frmImport::availableClientSize() const
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* on = owner ? owner->screen() : screen();
    if (!on)
        return {16384, 16384};
    // The frame is known once a window is shown; before, the owner's is the best guess.
    QSize frame(0, 0);
    if (testAttribute(Qt::WA_WState_Created) && frameGeometry().size() != size())
        frame = frameGeometry().size() - size();
    else if (owner)
        frame = owner->frameGeometry().size() - owner->size();
    return on->availableGeometry().size() - frame;
}

QPoint frmImport::scrollOffset() const
{
    return {m_scroll->horizontalScrollBar()->value(), m_scroll->verticalScrollBar()->value()};
}

void frmImport::picImage_MouseDown(int, int, float, float)
{
    bMouseDown = true;
}

void frmImport::picImage_MouseMove(int, int, float X, float Y)
{
    followPointer(QPointF(X, Y));
}

void frmImport::followPointer(QPointF at)
{
    m_pointer = at;
    m_nudge = {};
    m_outlinePlaced = true;
    const ImportRegion region = ImportRegion::at(float(at.x()), float(at.y()));
    shpCursor->move(region.outline);
    shpCursor->show();
    shpCursor->raise();
    if (!bMouseDown)
        return;
    copyRegion(region);
}

void frmImport::copyRegion(const ImportRegion& region)
{
    m_canvas.importRegion(m_picture.image(), region.origin.x(), region.origin.y(), m_background());
    DrawtoBB();
    m_status.setPanelText(1, region.statusText());
}

ImportRegion frmImport::nudgedRegion() const
{
    return ImportRegion::at(float(m_pointer.x() + m_nudge.x()), float(m_pointer.y() + m_nudge.y()));
}

void frmImport::picImage_KeyDown(int KeyCode, int)
{
    if (!m_outlinePlaced)
        return;
    QPoint step;
    switch (KeyCode) {
    case Qt::Key_Left:
        step = {-1, 0};
        break;
    case Qt::Key_Right:
        step = {1, 0};
        break;
    case Qt::Key_Up:
        step = {0, -1};
        break;
    case Qt::Key_Down:
        step = {0, 1};
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter takes the region under the outline and ends the pick, as a release does.
        copyRegion(nudgedRegion());
        bMouseDown = false;
        hide();
        return;
    }
    default:
        return;
    }
    m_nudge += step;
    const ImportRegion region = nudgedRegion();
    shpCursor->move(region.outline);
    shpCursor->show();
    shpCursor->raise();
    m_scroll->ensureWidgetVisible(shpCursor, 0, 0);
    if (bMouseDown)
        copyRegion(region);
}

void frmImport::zoom(int notches, QPointF at)
{
    const int step =
        qBound(PictureScale::minimumStep(m_loaded.size()), m_zoomStep + notches, PictureScale::MaxStep);
    if (step == m_zoomStep || m_loaded.isNull())
        return;
    const QPointF inView = at - QPointF(scrollOffset());
    const QSizeF before = m_picture.size();
    m_zoomStep = step;
    showZoomed();
    const QSizeF after = m_picture.size();
    const QPointF now(at.x() * after.width() / before.width(), at.y() * after.height() / before.height());
    m_scroll->horizontalScrollBar()->setValue(int(std::lround(now.x() - inView.x())));
    m_scroll->verticalScrollBar()->setValue(int(std::lround(now.y() - inView.y())));
    // The outline stays under the pointer (where the picture could not be scrolled to
    // keep the point there, it is another point); a held button copies the zoomed region.
    if (m_outlinePlaced)
        followPointer(inView + QPointF(scrollOffset()));
}

void frmImport::showZoomed()
{
    m_picture.image() = PictureScale::scaled(m_loaded, m_zoomStep);
    picImage->setFixedSize(m_picture.size());
    m_picture.present();
}

bool frmImport::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != picImage && watched != m_scroll->viewport())
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        m_wheelRemainder += wheel->angleDelta().y();
        const int notches = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
        m_wheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
        if (notches != 0) {
            const QPoint at = picImage->mapFrom(static_cast<QWidget*>(watched), wheel->position().toPoint());
            zoom(notches, at);
        }
        return true; // the wheel zooms; the scroll bars scroll
    }
    // Beside a picture smaller than the view: as over the window's background.
    if (watched == m_scroll->viewport() && event->type() == QEvent::MouseMove)
        Form_MouseMove();
    return QDialog::eventFilter(watched, event);
}

void frmImport::picImage_MouseUp(int, int, float, float)
{
    // A click after the outline was nudged takes the region under it.
    if (bMouseDown && !m_nudge.isNull())
        copyRegion(nudgedRegion());
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
    // The pulse carries on from where it rested.
    if (m_pulseResting) {
        m_pulseResting = false;
        tmrFader->start();
    }
    QDialog::showEvent(event);
    picImage->setFocus(); // the arrow keys nudge the outline
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
