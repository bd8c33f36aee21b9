#pragma once

#include "platform/Colour.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

// The portrait's own colours as a row of swatches, the most used first (equal counts in
// colour order), at most MostSwatches of them; each one's hex value and cell count show
// on hover. A click hands the colour on with the button and the Shift mask (1 Shift,
// 2 Ctrl, 4 Alt), as the view's presses are. The row is counted again, once, after any
// number of changes announced within a tenth of a second.
class PaletteStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int MostSwatches = 64;
    static constexpr int Pitch = 8; // a swatch 7 pixels wide and the gap after it
    static constexpr int StripHeight = 16;
    static constexpr int RecountDelayMs = 100;

    struct Swatch {
        Colour colour;
        int cells;
    };

    explicit PaletteStrip(QWidget* parent = nullptr);

    // Where the portrait is read from when it is counted.
    void setSource(std::function<QImage()> source) { m_source = std::move(source); }
    // The portrait changed: it is counted again RecountDelayMs later, once for all the
    // changes in between.
    void portraitChanged();
    // Counts now (what the pending recount would do).
    void recount();
    const std::vector<Swatch>& swatches() const { return m_swatches; }
    // The swatch under a point of the widget; -1 for none.
    int swatchAt(QPoint at) const;
    QRect swatchRect(int index) const;

signals:
    // Button 1 left, 2 right; shift as the view's handlers take it.
    void colourClicked(Colour colour, int button, int shift);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::function<QImage()> m_source;
    std::vector<Swatch> m_swatches;
    bool m_pending = false;
};
