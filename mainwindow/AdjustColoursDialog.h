#pragma once

#include "canvas/ColourAdjustment.h"

#include <QDialog>
#include <QImage>
#include <array>

class QSlider;
class QSpinBox;

// "Adjust Colours": brightness, contrast, saturation, hue and gamma, each a slider with a
// number box beside it, brightness first and focused. Every change of a value announces
// the adjusted portrait (previewChanged) for the view to show; the portrait itself is
// not touched here.
class AdjustColoursDialog : public QDialog {
    Q_OBJECT
public:
    enum Control { Brightness, Contrast, Saturation, Hue, Gamma, ControlCount };

    AdjustColoursDialog(const QImage& portrait, QWidget* parent = nullptr);

    ColourAdjustment::Settings settings() const;
    QImage adjusted() const { return ColourAdjustment::apply(m_portrait, settings()); }
    QSlider* slider(Control control) const { return m_sliders[control]; }
    QSpinBox* box(Control control) const { return m_boxes[control]; }

signals:
    void previewChanged(const QImage& adjusted);

private:
    QImage m_portrait;
    std::array<QSlider*, ControlCount> m_sliders{};
    std::array<QSpinBox*, ControlCount> m_boxes{};
};
