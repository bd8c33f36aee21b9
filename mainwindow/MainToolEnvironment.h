#pragma once

#include "tools/ToolEnvironment.h"

#include <functional>

class ControlPanel;
class PictureBox;
class StatusBar;
struct EditingState;

// The painting tools' view of the main window: status panels, wells, the view's
// pointer and the popup.
class MainToolEnvironment : public ToolEnvironment {
public:
    MainToolEnvironment(EditingState& state, ControlPanel& panel, StatusBar& statusBar, PictureBox& view);

    void showCell(const QString& text) override;
    void showColour(const QPixmap& swatch, const QString& text, const QString& tip) override;
    bool useForegroundBackgroundForReplace() const override;
    void setViewCursor(ViewCursor cursor) override;
    void pickColour(Well well, Colour c) override;
    void popupStep(int shift, float x, float y) override;
    void redrawPopup() override;
    bool pointerOverView() const override;
    void keepInView(const QRect& viewArea) override;

    void setPopup(std::function<void(int, float, float)> step, std::function<void()> redraw);

private:
    EditingState& m_state;
    ControlPanel& m_panel;
    StatusBar& m_statusBar;
    PictureBox& m_view;
    std::function<void(int, float, float)> m_popupStep;
    std::function<void()> m_redrawPopup;
};
