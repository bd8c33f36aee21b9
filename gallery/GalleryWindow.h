#pragma once

#include "controls/WidgetContainerHost.h"
#include "controls/kuButtons_H.h"
#include "platform/QtDialogs.h"

#include <QLabel>
#include <QWidget>
#include <memory>
#include <vector>

// Every style, shape and mode of the button control on one window, each button live.
// The last events are shown at the bottom; "Design mode" switches every host to the
// designer's view (design-time advice boxes, HotTrack outlines).
class GalleryWindow : public QWidget {
    Q_OBJECT
public:
    GalleryWindow();
    ~GalleryWindow() override;

private:
    kuButtons_H* add(QWidget* container, const QString& name, QRect geometry, const QString& caption);
    QWidget* section(const QString& title, QRect geometry);
    void logEvent(const QString& text);
    void buildStyles();
    void buildShapes();
    void buildPictures();
    void buildExtras();

    QtDialogs m_dialogs;
    std::vector<std::unique_ptr<WidgetContainerHost>> m_hosts;
    QLabel* m_log = nullptr;
    QStringList m_events;
    QFont m_font;
};
