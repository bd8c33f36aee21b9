#pragma once

#include <QImage>
#include <QString>

class kuButtons_H;

// The glue between the button's properties and its picture: the derived font and
// colours, the content layout and picture cache, the shape's region (resizing diagonal
// and custom shapes to fit), the custom-click displacement and the redraw into the
// button's own image, which a paint then shows in one copy.
class ButtonDrawing {
public:
    explicit ButtonDrawing(kuButtons_H& button) : b(button) {}

    void RefreshDerived(const QString& aspect);
    void LayoutContent(bool rebuildCache);
    void BuildRegion();
    void ResizeHandling();
    void RedrawButton();
    // Asks for a paint of the rendered image.
    void present();
    // The widget's paint: draws the current state, then shows it.
    void paint();

    const QImage& window() const { return m_window; }
    int redraws() const { return m_redraws; }

private:
    bool customClickStep(); // true when the button moved and this pass draws nothing

    kuButtons_H& b;
    QImage m_window;
    int m_redraws = 0;
    bool m_inBuildRegion = false;
    bool m_painting = false;
};
