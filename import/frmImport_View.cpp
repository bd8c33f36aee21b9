#include "import/frmImport.h"

#include "import/ImportLayout.h"
#include "import/ImportPlacement.h"
#include "import/OutlineShape.h"
#include "platform/PictureBox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <cmath>

// The import window's view: its size and layout around the picture, the zoom, and which
// part of the scaled picture the view shows.

QSize frmImport::pictureRoom() const
{
    // The size the user last gave the window, or the screen beside the main window, less
    // the window's own margins, border and zoom line.
    const QSize chrome = 2 * QSize(ContainerMargin, ContainerMargin) +
                         (picContainer->size() - picContainer->clientSize()) + QSize(0, zoomLineHeight());
    const QSize window =
        m_rememberedSize.isValid() ? m_rememberedSize.boundedTo(availableClientSize()) : roomClientSize();
    return (window - chrome).expandedTo({1, 1});
}

void frmImport::fitToPicture(QSize whole, std::function<QImage()> waitForWhole)
{
    m_loaded = m_picture.image().convertToFormat(QImage::Format_RGB32);
    m_opened = m_loaded; // shared, not copied
    ++m_serial;
    m_wholeSize = whole.isValid() && waitForWhole ? whole : m_loaded.size();
    m_waitForWhole = holdsWholePicture() ? nullptr : std::move(waitForWhole);
    m_wheelRemainder = 0;
    m_facesSearched = false;
    m_faces.clear();
    m_faceIndex = -1;
    m_nudge = {};
    m_outlinePlaced = false;
    m_cancelled = false;
    m_shown = QSize();
    m_zoomAnchor = {};

    const QSize chrome = 2 * QSize(ContainerMargin, ContainerMargin) +
                         (picContainer->size() - picContainer->clientSize()) + QSize(0, zoomLineHeight());
    const QSize room = pictureRoom();
    const QSize frame(ImportRegion::Width, ImportRegion::Height);
    m_zoomStep = ImportLayout::openingStep(m_wholeSize, frame, room);
    const QSize shown = PictureScale::scaledSize(m_wholeSize, m_zoomStep);

    // The view as large as the picture, within the room; a scroll bar along one side
    // takes room from the other. A remembered size is kept when the picture needs it.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    bool across = shown.width() > room.width();
    bool down = shown.height() > room.height();
    if (across && !down && shown.height() + bar > room.height())
        down = true;
    if (down && !across && shown.width() + bar > room.width())
        across = true;
    QSize client(qMin(room.width(), shown.width() + (down ? bar : 0)),
                 qMin(room.height(), shown.height() + (across ? bar : 0)));
    if (m_rememberedSize.isValid() &&
        (m_wholeSize.width() > room.width() || m_wholeSize.height() > room.height()))
        client = room;
    const QSize size = (client + chrome).expandedTo(minimumSizeHint());
    m_requestedSize = size;
    resize(size);
    layOut();
    setShownSize(shown);
    // A new picture starts in the middle of the view.
    const QSize view = viewFor(shown);
    placePicture(QPoint((view.width() - shown.width()) / 2, (view.height() - shown.height()) / 2));
    m_picture.present();
}

int frmImport::zoomLineHeight() const
{
    return m_zoomLabel->fontMetrics().height() + 2 + ContainerMargin / 2;
}

QSize frmImport::minimumSizeHint() const
{
    // Room for the zoom line's text and a little of the picture.
    return {qMax(96, m_zoomLabel->fontMetrics().horizontalAdvance(tr("Zoom 100%")) + 4 * ContainerMargin),
            64 + zoomLineHeight()};
}

void frmImport::layOut()
{
    const QSize border = picContainer->size() - picContainer->clientSize();
    const QSize client =
        (size() - 2 * QSize(ContainerMargin, ContainerMargin) - border - QSize(0, zoomLineHeight()))
            .expandedTo({1, 1});
    picContainer->setClientSize(client);
    picContainer->move(ContainerMargin, ContainerMargin);
    m_scroll->setGeometry(QRect(picContainer->clientOrigin(), client));
    m_zoomLabel->setGeometry(ContainerMargin, picContainer->geometry().bottom() + 1 + ContainerMargin / 2,
                             width() - 2 * ContainerMargin, m_zoomLabel->fontMetrics().height() + 2);
}

QSize frmImport::viewFor(QSize shown) const
{
    // The scroll area less a bar along each side the picture overflows (a bar along one
    // side can make the other overflow).
    const QSize full = m_scroll->size();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    bool across = shown.width() > full.width(), down = shown.height() > full.height();
    down = down || (across && shown.height() > full.height() - bar);
    across = across || (down && shown.width() > full.width() - bar);
    return full - QSize(down ? bar : 0, across ? bar : 0);
}

QPoint frmImport::pictureInView() const
{
    return m_stage->pos() + picImage->pos();
}

void frmImport::placePicture(QPoint wanted)
{
    const QSize expected = viewFor(m_shown);
    // Again with the view the scroll area settled on, should it differ.
    for (int pass = 0; pass < 2; ++pass) {
        const QSize view = pass == 0 ? expected : m_scroll->viewport()->size();
        if (pass == 1 && (view == expected || !m_scroll->isVisible()))
            break;
        const ImportLayout::Axis x = ImportLayout::place(view.width(), m_shown.width(), wanted.x());
        const ImportLayout::Axis y = ImportLayout::place(view.height(), m_shown.height(), wanted.y());
        m_holdRendering = true;
        m_stage->resize(x.stage, y.stage);
        picImage->move(x.pad, y.pad);
        QCoreApplication::sendPostedEvents(m_scroll, QEvent::MetaCall);
        m_scroll->horizontalScrollBar()->setValue(x.scroll);
        m_scroll->verticalScrollBar()->setValue(y.scroll);
        QCoreApplication::sendPostedEvents(m_scroll, QEvent::MetaCall);
        m_holdRendering = false;
    }
    renderVisible();
}

void frmImport::setShownSize(QSize shown)
{
    // A reduced decode serves only sizes it holds at least; 1:1 is always the file's pixels.
    if (shown.width() > m_loaded.width() || shown.height() > m_loaded.height())
        ensureWhole();
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
}

void frmImport::renderVisible(bool margin)
{
    if (m_shown.isEmpty() || m_holdRendering)
        return;
    const QSize view = m_scroll->isVisible() ? m_scroll->viewport()->size() : viewFor(m_shown);
    const QRect shownRect(QPoint(0, 0), m_shown);
    const QRect visible = QRect(-pictureInView(), view).intersected(shownRect);
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

bool frmImport::ensureWhole()
{
    if (holdsWholePicture())
        return true;
    const QImage whole = m_waitForWhole ? m_waitForWhole() : QImage();
    if (whole.size() != m_wholeSize)
        return false;
    useWhole(whole);
    return true;
}

void frmImport::offerWholePicture(quint64 serial, const QImage& whole)
{
    if (serial != m_serial || holdsWholePicture() || whole.size() != m_wholeSize)
        return;
    useWhole(whole);
    // What is in view again, from the whole picture.
    if (!m_shown.isEmpty() && m_shown != m_wholeSize) {
        m_rendered = QRect();
        renderVisible();
    }
}

void frmImport::useWhole(const QImage& whole)
{
    m_loaded = whole.convertToFormat(QImage::Format_RGB32);
    m_waitForWhole = nullptr;
    // The face search and the detail framing looked at the reduced pixels.
    m_facesSearched = false;
    m_faces.clear();
    m_faceIndex = -1;
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
    const double percent = 100.0 * m_shown.width() / m_wholeSize.width();
    const int decimals = percent >= 10 ? 0 : percent >= 1 ? 1 : 2;
    return tr("Zoom %1%").arg(QLocale().toString(percent, 'f', decimals));
}

QSize frmImport::roomClientSize() const
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* on = owner ? owner->screen() : screen();
    if (!on || !owner)
        return availableClientSize();
    const QSize frame = owner->frameGeometry().size() - owner->size();
    const QRect room = ImportLayout::roomBeside(on->availableGeometry(), owner->frameGeometry(), {160, 160});
    return (room.size() - frame).boundedTo(availableClientSize());
}

void frmImport::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layOut();
    if (m_shown.isEmpty())
        return;
    // A size the user gave the window is kept for the next picture that needs room.
    if (isVisible() && event->size() != m_requestedSize)
        m_rememberedSize = event->size();
    placePicture(pictureInView());
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

void frmImport::zoom(int notches, QPointF at)
{
    if (m_loaded.isNull())
        return;
    // From a size set by cover, the wheel goes on from the nearest step.
    int from = m_zoomStep;
    if (m_shown != PictureScale::scaledSize(m_wholeSize, m_zoomStep))
        from = int(std::lround(4 * std::log2(double(m_shown.width()) / m_wholeSize.width())));
    int step = qBound(PictureScale::minimumStep(m_wholeSize), from + notches, PictureScale::MaxStep);
    QSize size = PictureScale::scaledSize(m_wholeSize, step);
    // Without the whole picture (its decode failed) the view goes no larger than the
    // reduced one it holds.
    while (step > from && (size.width() > m_loaded.width() || size.height() > m_loaded.height()) &&
           !ensureWhole())
        size = PictureScale::scaledSize(m_wholeSize, --step);
    if (size == m_shown)
        return;
    const QPointF inView = at + QPointF(pictureInView());
    // The picture point under the pointer, as a fraction of the picture. While the pointer
    // and the picture stay where the last notch left them, that notch's fraction is kept:
    // whole-pixel positions would otherwise drift a little further from it every notch.
    QPointF fraction(at.x() / m_shown.width(), at.y() / m_shown.height());
    if (m_zoomAnchor.valid && m_zoomAnchor.pointer == inView && m_zoomAnchor.picture == pictureInView())
        fraction = m_zoomAnchor.fraction;
    m_zoomStep = step;
    // Scaled once, when the picture stands where it will be shown: just the view.
    m_holdRendering = true;
    setShownSize(size);
    m_holdRendering = false;
    // The picture point under the pointer stays under it, also while the picture is
    // smaller than the view; where the view cannot keep it there, as near as it can.
    const QPointF now(fraction.x() * size.width(), fraction.y() * size.height());
    placePicture((inView - now).toPoint());
    m_zoomAnchor = {true, inView, pictureInView(), fraction};
    // The outline stays under the pointer (where the picture could not be scrolled to
    // keep the point there, it is another point); a held button copies the zoomed region.
    if (m_outlinePlaced)
        followPointer(inView - QPointF(pictureInView()));
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
