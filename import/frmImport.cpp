#include "import/frmImport.h"

#include "document/PortraitDocument.h"
#include "import/FaceLocator.h"
#include "import/ImportLayout.h"
#include "import/ImportPlacement.h"
#include "import/OutlineShape.h"
#include "import/PictureScale.h"
#include "platform/PictureBox.h"
#include "platform/StageClock.h"
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

frmImport::frmImport(PortraitDocument& document, StatusBar& status, std::function<Colour()> background,
                     QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_document(document), m_status(status), m_background(std::move(background)), m_picture(1, 1, 0)
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
    // The scrolled stage is the picture, or the view where the picture is smaller: a
    // smaller picture lies anywhere on it, so zooming can keep the point under the pointer.
    m_stage = new QWidget;
    m_stage->setObjectName(QStringLiteral("stage"));
    m_stage->setMouseTracking(true);
    m_scroll->setWidget(m_stage);
    picImage = new PictureBox(m_stage, false);
    m_stage->installEventFilter(this); // once picImage, which the filter compares with, exists
    picImage->setObjectName(QStringLiteral("picImage"));
    picImage->setSurface(&m_picture);
    picImage->setCursor(Qt::CrossCursor);
    picImage->installEventFilter(this);
    // Scrolling scales what comes into view, with a margin so that small scrolls need none.
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { renderVisible(true); });
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { renderVisible(true); });

    // The zoom level, on a line of its own below the picture: it never hides any of it.
    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("lblZoom"));

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

QString frmImport::statusText(const ImportRegion& region) const
{
    if (m_shown == m_wholeSize)
        return region.statusText();
    // In the file's own pixels: the rectangle the scaled region covers.
    const QRect file = PictureScale::sourceRect(
        m_wholeSize, m_shown, QRect(region.origin, QSize(ImportRegion::Width, ImportRegion::Height)));
    return tr("Image imported (%1, %2 to %3, %4).")
        .arg(file.left())
        .arg(file.top())
        .arg(file.right() + 1)
        .arg(file.bottom() + 1);
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
    // A region is taken from the whole picture, never from a reduced decode of it.
    ensureWhole();
    if (m_shown == m_loaded.size()) {
        m_document.importRegion(m_loaded, region.origin.x(), region.origin.y(), m_background());
    } else {
        // Only the region's own pixels are scaled; what lies outside the picture is background.
        const QRect part = wanted.intersected(QRect(QPoint(0, 0), m_shown));
        const QImage pixels = PictureScale::scaledPart(m_loaded, m_shown, part, m_filter); // null when empty
        const QPoint at = part.isEmpty() ? QPoint() : region.origin - part.topLeft();
        m_document.importRegion(pixels, at.x(), at.y(), m_background());
    }
    m_status.setPanelText(1, statusText(region));
}

ImportRegion frmImport::nudgedRegion() const
{
    return ImportRegion::at(float(m_pointer.x() + m_nudge.x()), float(m_pointer.y() + m_nudge.y()));
}

void frmImport::picImage_KeyDown(int KeyCode, int)
{
    const bool needsOutline =
        KeyCode != Qt::Key_Escape && KeyCode != Qt::Key_F && KeyCode != Qt::Key_C && KeyCode != Qt::Key_A;
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
    case Qt::Key_A:
        frameFace();
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

void frmImport::fitAndTake()
{
    if (m_loaded.isNull())
        return;
    ensureWhole();
    const QSize frame(ImportRegion::Width, ImportRegion::Height);
    const QImage portrait = PictureScale::fitInside(m_loaded, frame, toQRgb(m_background()), m_filter);
    m_document.importRegion(portrait, 0, 0, m_background());
    m_status.setPanelText(
        1, tr("Image imported (0, 0 to %1, %2).").arg(m_wholeSize.width()).arg(m_wholeSize.height()));
    bMouseDown = false;
    hide();
}

void frmImport::cover()
{
    if (m_loaded.isNull())
        return;
    const QSize frame(ImportRegion::Width, ImportRegion::Height);
    const QSize size = PictureScale::coverSize(m_wholeSize, frame);
    // The frame in the middle.
    applyFraming({size, QPoint((size.width() - frame.width()) / 2, (size.height() - frame.height()) / 2)});
}

void frmImport::frameFace()
{
    if (m_loaded.isNull())
        return;
    // Faces and detail are looked for in the whole picture, in its own pixels.
    ensureWhole();
    if (!m_facesSearched) {
        m_facesSearched = true;
        m_faces = m_faceLocator ? PortraitFraming::largestFirst(m_faceLocator->findFaces(m_loaded))
                                : std::vector<QRect>{};
        m_faceIndex = -1;
    }
    const QSize frame(ImportRegion::Width, ImportRegion::Height);
    if (m_faces.empty()) {
        applyFraming(PortraitFraming::frameDetail(m_loaded, frame));
        m_status.setPanelText(
            1, m_faceLocator ? tr("No face found: the frame is on the most detailed part of the picture.")
                             : tr("Faces cannot be looked for here: the frame is on the most detailed "
                                  "part of the picture."));
        return;
    }
    // A again: the next face, round to the largest again.
    m_faceIndex = (m_faceIndex + 1) % int(m_faces.size());
    applyFraming(PortraitFraming::frameFace(m_faces[std::size_t(m_faceIndex)], m_wholeSize, frame));
    m_status.setPanelText(1, tr("Face %1 of %2 framed: the arrow keys nudge the frame, Enter takes it.")
                                 .arg(m_faceIndex + 1)
                                 .arg(m_faces.size()));
}

void frmImport::applyFraming(const PortraitFraming::Framing& framing)
{
    m_zoomStep = int(std::lround(4 * std::log2(double(framing.shown.width()) / m_wholeSize.width())));
    setShownSize(framing.shown);
    // The frame in the middle of the view, as far as the view allows.
    const QSize view = viewFor(framing.shown);
    const QPoint frameCentre = framing.origin + QPoint(ImportRegion::Width / 2, ImportRegion::Height / 2);
    placePicture(QPoint(view.width() / 2, view.height() / 2) - frameCentre);
    // The pointer position whose region starts at the framing's corner.
    m_pointer = QPointF(framing.origin.x() + ImportRegion::OutlineWidth / 2 - 2,
                        framing.origin.y() + ImportRegion::OutlineHeight / 2 - 2);
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
    if (watched != picImage && watched != m_scroll->viewport() && watched != m_stage)
        return QDialog::eventFilter(watched, event);
    if (watched == picImage && event->type() == QEvent::Paint && m_markPaint) {
        m_markPaint = false;
        StageClock::mark("import-shown");
        if (m_afterPaint)
            QTimer::singleShot(0, this, std::exchange(m_afterPaint, nullptr));
    }
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
    if ((watched == m_scroll->viewport() || watched == m_stage) && event->type() == QEvent::MouseMove)
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
    // A zoomed picture's scaled part goes; the surface shares the picture as loaded again
    // (no copy), so the next import draws into a surface that has pixels.
    if (m_shown != m_loaded.size()) {
        m_refine->stop();
        m_picture.image() = m_loaded;
        m_rendered = QRect();
    }
    QDialog::hideEvent(event);
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
