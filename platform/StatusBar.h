#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;

// A status bar of fixed-width sunken panels laid side by side from its left edge,
// numbered from 1, each with text and an optional icon; a panel's tooltip is its
// initial text.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    struct PanelLayout {
        int width;
        QString text;
    };
    StatusBar(const QList<PanelLayout>& panels, QWidget* parent = nullptr);

    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);
    QPixmap panelIcon(int panel) const;
    // Shown at its own size; a null pixmap hides the panel's icon.
    void setPanelIcon(int panel, const QPixmap& icon);
    QWidget* panelWidget(int panel) const;
    void setPanelToolTip(int panel, const QString& tip);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Panel {
        QWidget* frame;
        QLabel* icon;
        QLabel* text;
        QPixmap iconValue;
    };
    // The icon, when shown, and the text inside the panel's frame.
    static void placeContents(const Panel& p);
    QList<Panel> m_panels;
};
