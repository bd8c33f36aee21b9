#include "platform/StatusBar.h"

#include <QFrame>
#include <QLabel>

namespace {
constexpr int IconSize = 16;
constexpr int Margin = 2; // between the frame's inner edge, the icon and the text
} // namespace

StatusBar::StatusBar(const QList<PanelLayout>& panels, QWidget* parent) : QWidget(parent)
{
    for (const PanelLayout& panel : panels) {
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setFixedWidth(panel.width);
        frame->setToolTip(panel.text);
        auto* icon = new QLabel(frame);
        icon->setFixedSize(IconSize, IconSize);
        icon->hide();
        auto* text = new QLabel(panel.text, frame);
        m_panels.append(Panel{frame, icon, text, {}});
    }
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Panels stand edge to edge from x = 0, each as tall as the bar.
    int x = 0;
    for (const Panel& p : std::as_const(m_panels)) {
        p.frame->setGeometry(x, 0, p.frame->width(), height());
        placeContents(p);
        x += p.frame->width();
    }
}

void StatusBar::placeContents(const Panel& p)
{
    // Placed here rather than by a layout: a layout would measure the text again (shaping
    // it) after every change of it, and the readout panel changes on every pointer move.
    const QRect inner = p.frame->contentsRect().adjusted(Margin, 0, -Margin, 0);
    QRect text = inner;
    if (!p.icon->isHidden()) {
        p.icon->move(inner.left(), inner.top() + (inner.height() - IconSize) / 2);
        text.setLeft(inner.left() + IconSize + Margin);
    }
    p.text->setGeometry(text);
}

QString StatusBar::panelText(int panel) const
{
    return m_panels.at(panel - 1).text->text();
}

void StatusBar::setPanelText(int panel, const QString& text)
{
    m_panels[panel - 1].text->setText(text);
}

QPixmap StatusBar::panelIcon(int panel) const
{
    return m_panels.at(panel - 1).iconValue;
}

void StatusBar::setPanelIcon(int panel, const QPixmap& icon)
{
    Panel& p = m_panels[panel - 1];
    if (!icon.isNull() && icon.cacheKey() == p.iconValue.cacheKey())
        return; // the same icon again: the panel already shows it
    p.iconValue = icon;
    p.icon->setPixmap(icon);
    if (p.icon->isHidden() != icon.isNull()) {
        p.icon->setVisible(!icon.isNull());
        placeContents(p);
    }
}

void StatusBar::setPanelToolTip(int panel, const QString& tip)
{
    m_panels[panel - 1].frame->setToolTip(tip);
}

QWidget* StatusBar::panelWidget(int panel) const
{
    return m_panels.at(panel - 1).frame;
}
