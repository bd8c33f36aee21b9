#include "import/frmImport.h"

#include "canvas/PortraitCanvas.h"
#include "import/ImportPlacement.h"
#include "import/OutlineShape.h"
#include "import/PictureScale.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

using namespace Portrait;

namespace {
constexpr int ContainerMargin = 4;
} // namespace

frmImport::frmImport(PortraitCanvas& canvas, StatusBar& status, std::function<Colour()> background,
                     QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_canvas(canvas), m_status(status), m_background(std::move(background)), m_picture(1, 1, 0)
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
    // A picture smaller than the view (zoomed out) sits in its middle.
    m_scroll->setAlignment(Qt::AlignCenter);
    picImage->installEventFilter(this);
    // Scrolling scales what comes into view, with a margin so that small scrolls need none.
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { renderVisible(true); });
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { renderVisible(true); });

    // The zoom level, in a corner over the picture while it is not 1:1; the pointer
    // passes through it.
    m_zoomLabel = new QLabel(picContainer);
    m_zoomLabel->setObjectName(QStringLiteral("lblZoom"));
    m_zoomLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_zoomLabel->setAutoFillBackground(true);
    QPalette tag = m_zoomLabel->palette();
    tag.setColor(QPalette::Window, QColor(0, 0, 0, 160));
    tag.setColor(QPalette::WindowText, Qt::white);
    m_zoomLabel->setPalette(tag);
    m_zoomLabel->setMargin(2);

    shpCursor = new OutlineShape(ImportRegion::OutlineWidth, ImportRegion::OutlineHeight, picImage);
    shpCursor->setObjectName(QStringLiteral("shpCursor"));
    shpCursor->hide();

    connect(picImage, &PictureBox::mouseDown, this, &frmImport::picImage_MouseDown);
    connect(picImage, &PictureBox::mouseMove, this, &frmImport::picImage_MouseMove);
    connect(picImage, &PictureBox::mouseUp, this, &frmImport::picImage_MouseUp);
    connect(picImage, &PictureBox::keyDown, this, &frmImport::picImage_KeyDown);

    // The pulse runs from creation on, but rests while the window is hidden: no wake-ups
    // for a window no one sees. Showing the window again continues from the same step.
    m_refine = new QTimer(this);
    m_refine->setSingleShot(true);
    m_refine->setInterval(0);
    connect(m_refine, &QTimer::timeout, this, &frmImport::refineRendering);

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
    m_loaded = m_picture.image().convertToFormat(QImage::Format_RGB32);
    m_zoomStep = 0;
    m_wheelRemainder = 0;
    m_nudge = {};
    m_outlinePlaced = false;
    m_cancelled = false;
    m_shown = QSize();
    setShownSize(m_loaded.size());

    const QSize picture = m_loaded.size();
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
    // The original outer size is the container plus 14 by plus 32: a 3-pixel frame and an
    // 18-pixel caption around a client of the container plus 8 each way. The window
    // system draws its own frame around that client.
    setFixedSize(picContainer->width() + 2 * ContainerMargin, picContainer->height() + 2 * ContainerMargin);
    m_zoomLabel->move(picContainer->clientOrigin());
    m_picture.present();
}

void frmImport::setShownSize(QSize shown)
{
    m_shown = shown;
    picImage->setFixedSize(shown);
    m_rendered = QRect();
    if (shown == m_loaded.size()) {
        // 1:1: the surface is the loaded picture itself, shared, not copied.
        m_picture.image() = m_loaded;
        m_rendered = m_loaded.rect();
        picImage->setSurfaceOrigin({});
        m_picture.present();
    } else {
        renderVisible();
    }
    m_zoomLabel->setText(zoomText());
    m_zoomLabel->adjustSize();
    m_zoomLabel->setVisible(shown != m_loaded.size());
    m_zoomLabel->raise();
}

void frmImport::renderVisible(bool margin)
{
    if (m_shown.isEmpty() || m_holdRendering)
        return;
    const QSize view = m_scroll->viewport()->size();
    const QRect shownRect(QPoint(0, 0), m_shown);
    const QRect visible = QRect(-picImage->pos(), view).intersected(shownRect);
    if (m_rendered.contains(visible))
        return;
    // With a margin, the view and half a view around it: scrolling a little needs no new
    // scaling, and the surface never holds more than about four views of pixels.
    const int mx = margin ? view.width() / 2 : 0, my = margin ? view.height() / 2 : 0;
    const QRect wanted = visible.adjusted(-mx, -my, mx, my).intersected(shownRect);
    m_picture.image() = QImage(); // the old part goes before the new one is made
    // Averaging many picture pixels into each shown one takes longer than a frame: the
    // view shows a quick sample at once and the exact part a moment later.
    const double covered = double(wanted.width()) * wanted.height() * m_loaded.width() * m_loaded.height() /
                           (double(m_shown.width()) * m_shown.height());
    const bool averaging = m_shown.width() < m_loaded.width() || m_shown.height() < m_loaded.height();
    if (averaging && covered > QuickSampleAbove) {
        m_picture.image() = PictureScale::sampledPart(m_loaded, m_shown, wanted);
        m_refine->start();
    } else {
        m_picture.image() = PictureScale::scaledPart(m_loaded, m_shown, wanted, m_filter);
    }
    m_rendered = wanted;
    picImage->setSurfaceOrigin(wanted.topLeft());
    picImage->update();
}

void frmImport::refineRendering()
{
    if (m_rendered.isEmpty() || m_shown == m_loaded.size())
        return;
    m_picture.image() = PictureScale::scaledPart(m_loaded, m_shown, m_rendered, m_filter);
    picImage->update();
}

bool frmImport::renderingExact() const
{
    return !m_refine->isActive();
}

QImage frmImport::shownPicture() const
{
    return PictureScale::scaledPart(m_loaded, m_shown, QRect(QPoint(0, 0), m_shown), m_filter);
}

void frmImport::setScaling(PictureScale::Filter filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    // What is in view was scaled with the other filter.
    if (m_shown != m_loaded.size()) {
        m_rendered = QRect();
        renderVisible();
    }
}

QString frmImport::zoomText() const
{
    if (m_loaded.isNull() || m_shown.isEmpty())
        return {};
    const double percent = 100.0 * m_shown.width() / m_loaded.width();
    const int decimals = percent >= 10 ? 0 : percent >= 1 ? 1 : 2;
    return tr("Zoom %1%").arg(QLocale().toString(percent, 'f', decimals));
}

QString frmImport::statusText(const ImportRegion& region) const
{
    if (m_shown == m_loaded.size())
        return region.statusText();
    // In the file's own pixels: the rectangle the scaled region covers.
    const QRect file = PictureScale::sourceRect(
        m_loaded.size(), m_shown, QRect(region.origin, QSize(ImportRegion::Width, ImportRegion::Height)));
    return tr("Image imported (%1, %2 to %3, %4).")
        .arg(file.left())
        .arg(file.top())
        .arg(file.right() + 1)
        .arg(file.bottom() + 1);
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

void frmImport::picImage_MouseDown(int, int, float X, float Y)
{
    bMouseDown = true;
    // A press alone takes the region under the outline: the nudged one, or the one at
    // the pointer.
    if (m_outlinePlaced && !m_nudge.isNull())
        copyRegion(nudgedRegion());
    else
        followPointer(QPointF(X, Y));
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
    const QRect wanted(region.origin, QSize(ImportRegion::Width, ImportRegion::Height));
    if (m_shown == m_loaded.size()) {
        m_canvas.importRegion(m_loaded, region.origin.x(), region.origin.y(), m_background());
    } else {
        // Only the region's own pixels are scaled; what lies outside the picture is background.
        const QRect part = wanted.intersected(QRect(QPoint(0, 0), m_shown));
        const QImage pixels = PictureScale::scaledPart(m_loaded, m_shown, part, m_filter); // null when empty
        const QPoint at = part.isEmpty() ? QPoint() : region.origin - part.topLeft();
        m_canvas.importRegion(pixels, at.x(), at.y(), m_background());
    }
    m_status.setPanelText(1, statusText(region));
}

ImportRegion frmImport::nudgedRegion() const
{
    return ImportRegion::at(float(m_pointer.x() + m_nudge.x()), float(m_pointer.y() + m_nudge.y()));
}

void frmImport::picImage_KeyDown(int KeyCode, int)
{
    const bool needsOutline = KeyCode != Qt::Key_Escape && KeyCode != Qt::Key_F && KeyCode != Qt::Key_C;
    if (!m_outlinePlaced && needsOutline)
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
    case Qt::Key_Escape:
        cancelPick();
        return;
    case Qt::Key_F:
        fitAndTake();
        return;
    case Qt::Key_C:
        cover();
        return;
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
    if (m_loaded.isNull())
        return;
    // From a size set by cover, the wheel goes on from the nearest step.
    int from = m_zoomStep;
    if (m_shown != PictureScale::scaledSize(m_loaded.size(), m_zoomStep))
        from = int(std::lround(4 * std::log2(double(m_shown.width()) / m_loaded.width())));
    const int step =
        qBound(PictureScale::minimumStep(m_loaded.size()), from + notches, PictureScale::MaxStep);
    const QSize size = PictureScale::scaledSize(m_loaded.size(), step);
    if (size == m_shown)
        return;
    const QPointF inView = at + QPointF(picImage->pos());
    const QSizeF before = m_shown;
    m_zoomStep = step;
    // Scaled once, when the picture stands where it will be shown: just the view.
    m_holdRendering = true;
    setShownSize(size);
    // The scroll area shows or hides its bars through queued calls; run them now, so the
    // picture stands where it will be shown before the outline is placed over it.
    QCoreApplication::sendPostedEvents(m_scroll, QEvent::MetaCall);
    const QPointF now(at.x() * size.width() / before.width(), at.y() * size.height() / before.height());
    m_scroll->horizontalScrollBar()->setValue(int(std::lround(now.x() - inView.x())));
    m_scroll->verticalScrollBar()->setValue(int(std::lround(now.y() - inView.y())));
    QCoreApplication::sendPostedEvents(m_scroll, QEvent::MetaCall);
    m_holdRendering = false;
    renderVisible(false);
    // The outline stays under the pointer (where the picture could not be scrolled to
    // keep the point there, it is another point); a held button copies the zoomed region.
    if (m_outlinePlaced)
        followPointer(inView - QPointF(picImage->pos()));
}

void frmImport::fitAndTake()
{
    if (m_loaded.isNull())
        return;
    const QSize frame(ImportRegion::Width, ImportRegion::Height);
    const QImage portrait = PictureScale::fitInside(m_loaded, frame, toQRgb(m_background()), m_filter);
    m_canvas.importRegion(portrait, 0, 0, m_background());
    m_status.setPanelText(
        1, tr("Image imported (0, 0 to %1, %2).").arg(m_loaded.width()).arg(m_loaded.height()));
    bMouseDown = false;
    hide();
}

void frmImport::cover()
{
    if (m_loaded.isNull())
        return;
    const QSize frame(ImportRegion::Width, ImportRegion::Height);
    const QSize size = PictureScale::coverSize(m_loaded.size(), frame);
    m_zoomStep = int(std::lround(4 * std::log2(double(size.width()) / m_loaded.width())));
    setShownSize(size);
    // The frame in the middle: the pointer position whose region is centred.
    const QPoint origin((size.width() - frame.width()) / 2, (size.height() - frame.height()) / 2);
    m_pointer = QPointF(origin.x() + ImportRegion::OutlineWidth / 2 - 2,
                        origin.y() + ImportRegion::OutlineHeight / 2 - 2);
    m_nudge = {};
    m_outlinePlaced = true;
    const ImportRegion region = nudgedRegion();
    shpCursor->move(region.outline);
    shpCursor->show();
    shpCursor->raise();
    m_scroll->ensureWidgetVisible(shpCursor, 0, 0);
}

void frmImport::cancelPick()
{
    m_cancelled = true;
    bMouseDown = false;
    hide();
}

void frmImport::placeBeside(const QRect& keepVisible)
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* on = owner ? owner->screen() : screen();
    if (!owner || !on)
        return;
    // The frame's size before the window was ever shown: the owner's frame margins.
    const QSize margins = owner->frameGeometry().size() - owner->size();
    const QSize frame = size() + margins;
    const QPoint topLeft =
        ImportPlacement::place(on->availableGeometry(), owner->frameGeometry(), keepVisible, frame);
    move(topLeft);
}

void frmImport::keyPressEvent(QKeyEvent* event)
{
    // Escape undoes the pick wherever the focus is; the close box keeps the last copy.
    if (event->key() == Qt::Key_Escape) {
        cancelPick();
        return;
    }
    QDialog::keyPressEvent(event);
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
    renderVisible();
    picImage->setFocus(); // the arrow keys nudge the outline
}

void frmImport::hideEvent(QHideEvent* event)
{
    restPulse();
    // A zoomed picture's scaled part goes; the picture as loaded stays.
    if (m_shown != m_loaded.size()) {
        m_refine->stop();
        m_picture.image() = QImage();
        m_rendered = QRect();
    }
    QDialog::hideEvent(event);
}

void frmImport::DrawtoBB()
{
    // The main window's back buffer and view, rendered from the portrait in one pass.
    m_canvas.DrawtoBB();
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
