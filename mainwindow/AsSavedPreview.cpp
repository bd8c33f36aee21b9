#include "mainwindow/AsSavedPreview.h"

#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "document/QualityLevels.h"
#include "mainwindow/ControlPanel.h"
#include "platform/PictureBox.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

AsSavedPreview::AsSavedPreview(const PortraitDocument& document, PortraitCanvas& canvas,
                               const EditingState& state, PictureBox& view, ControlPanel& panel,
                               QObject* parent)
    : QObject(parent), m_document(document), m_canvas(canvas), m_state(state), m_view(view), m_panel(panel),
      m_sizeTimer(new QTimer(this))
{
    m_sizeTimer->setSingleShot(true);
    m_sizeTimer->setInterval(SizeDelayMs);
    connect(m_sizeTimer, &QTimer::timeout, this, &AsSavedPreview::refreshSizes);
    connect(&m_document, &PortraitDocument::changed, this, [this] {
        m_sizeTimer->start();
        if (m_showing)
            render(); // painting while the key is held shows the stored look at once
    });
    // The sizes are first worked out when a tooltip is asked for or the portrait changes:
    // four encodes at start would only cost start-up time and memory.
    qApp->installEventFilter(this);
}

QString AsSavedPreview::sizeTip(int quality, qint64 bytes)
{
    if (bytes < 0)
        return tr("Saved at %1%: size unknown").arg(quality);
    return tr("Saved at %1%: %2 bytes").arg(quality).arg(bytes);
}

void AsSavedPreview::refreshSizes()
{
    m_sizeTimer->stop();
    m_sizesKnown = true;
    // The qualities the four options select.
    const std::pair<QRadioButton*, int> levels[] = {{m_panel.optPerfect, QualityLevels[0].percent},
                                                    {m_panel.optHigh, QualityLevels[1].percent},
                                                    {m_panel.optMed, QualityLevels[2].percent},
                                                    {m_panel.optLow, QualityLevels[3].percent}};
    const QImage portrait = m_document.picPreview().image();
    for (const auto& [option, quality] : levels)
        option->setToolTip(sizeTip(quality, m_look.size(portrait, quality, m_state.FullColourDetail)));
}

void AsSavedPreview::outputChanged()
{
    refreshSizes();
    if (m_showing)
        render();
}

void AsSavedPreview::render()
{
    const QImage& portrait = m_document.picPreview().image();
    const bool known = !m_lookPicture.isNull() && portrait.cacheKey() == m_lookKey &&
                       m_state.OutputQuality == m_lookQuality && m_state.FullColourDetail == m_lookDetail;
    if (known && m_canvas.showsPicture(ViewLayer::AsSaved))
        return; // the look shown is this one
    if (!known) {
        ++m_looks;
        const SavedLook::Result r = m_look.look(portrait, m_state.OutputQuality, m_state.FullColourDetail);
        m_lookPicture = r.ok() ? r.picture : QImage();
        m_lookKey = portrait.cacheKey();
        m_lookQuality = m_state.OutputQuality;
        m_lookDetail = m_state.FullColourDetail;
    }
    if (m_lookPicture.isNull())
        m_canvas.hidePicture(ViewLayer::AsSaved);
    else
        m_canvas.showPicture(ViewLayer::AsSaved, m_lookPicture);
}

void AsSavedPreview::show()
{
    // The key shows the look itself: the popup goes until the pointer or Ctrl brings it back.
    m_showing = true;
    m_canvas.RedrawFace();
    render();
}

void AsSavedPreview::hide()
{
    if (!m_showing)
        return;
    m_showing = false;
    m_canvas.RedrawFace();
    m_canvas.hidePicture(ViewLayer::AsSaved);
}

bool AsSavedPreview::keyIsForUs(QObject* receiver) const
{
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || widget->window() != m_view.window())
        return false;
    if (widget == &m_view)
        return true;
    // Elsewhere in the window only with the pointer over the view, and never where P is typed.
    if (qobject_cast<QLineEdit*>(widget))
        return false;
    return m_view.isVisible() && m_view.rect().contains(m_view.mapFromGlobal(QCursor::pos()));
}

bool AsSavedPreview::isQualityOption(const QObject* watched) const
{
    return watched == m_panel.optPerfect || watched == m_panel.optHigh || watched == m_panel.optMed ||
           watched == m_panel.optLow;
}

bool AsSavedPreview::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == HoldKey && !key->isAutoRepeat() && key->modifiers() == Qt::NoModifier &&
            !m_showing && keyIsForUs(watched)) {
            show();
            return true;
        }
        if (key->key() == HoldKey && key->isAutoRepeat() && m_showing)
            return true;
        break;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == HoldKey && !key->isAutoRepeat() && m_showing) {
            hide();
            return true;
        }
        break;
    }
    case QEvent::ToolTip:
        if (!m_sizesKnown && isQualityOption(watched))
            refreshSizes(); // before the tooltip shows
        break;
    case QEvent::WindowDeactivate:
        // The release may go to another window: the preview never sticks.
        if (watched == m_view.window())
            hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
