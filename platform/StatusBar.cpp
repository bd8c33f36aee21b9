#include "platform/StatusBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

StatusBar::StatusBar(const QList<PanelLayout>& panels, QWidget* parent) : QWidget(parent)
{
    for (const PanelLayout& panel : panels) {
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setFixedWidth(panel.width);
        frame->setToolTip(panel.text);
        auto* layout = new QHBoxLayout(frame);
        layout->setContentsMargins(2, 0, 2, 0);
        layout->setSpacing(2);
        auto* icon = new QLabel(frame);
        icon->setFixedSize(16, 16);
        icon->hide();
        auto* text = new QLabel(panel.text, frame);
        layout->addWidget(icon);
        layout->addWidget(text, 1);
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
        x += p.frame->width();
    }
}

QString StatusBar::panelText(int panel) const
{
    return m_panels.at(panel - 1).text->text();
}

void StatusBar::setPanelText(int panel, const QString& text)
{
    m_panels[panel - 1].text->setText(text);
}

QIcon StatusBar::panelIcon(int panel) const
{
    return m_panels.at(panel - 1).iconValue;
}

void StatusBar::setPanelIcon(int panel, const QIcon& icon)
{
    Panel& p = m_panels[panel - 1];
    if (!icon.isNull() && icon.cacheKey() == p.iconValue.cacheKey())
        return; // the same icon again: the panel already shows it
    p.iconValue = icon;
    p.icon->setPixmap(icon.pixmap(16, 16));
    p.icon->setVisible(!icon.isNull());
}

void StatusBar::setPanelToolTip(int panel, const QString& tip)
{
    m_panels[panel - 1].frame->setToolTip(tip);
}

QWidget* StatusBar::panelWidget(int panel) const
{
    return m_panels.at(panel - 1).frame;
}
