#pragma once

#include "canvas/ColourReduction.h"

#include <QDialog>
#include <QImage>

class QComboBox;
class QLabel;
class QSpinBox;

// "Reduce colours": how many colours to keep and whether to dither, with the reduced
// portrait shown in the dialog (three times enlarged) as the values change, and its mean
// colour error. previewChanged announces each result for the view to show as well.
class ReduceColoursDialog : public QDialog {
    Q_OBJECT
public:
    ReduceColoursDialog(const QImage& portrait, int colours, ColourReduction::Dithering dithering,
                        QWidget* parent = nullptr);

    int colours() const;
    ColourReduction::Dithering dithering() const;
    const QImage& reduced() const { return m_reduced; }
    QSpinBox* coloursBox() const { return m_colours; }
    QComboBox* ditheringBox() const { return m_dithering; }
    QLabel* previewLabel() const { return m_preview; }

signals:
    void previewChanged(const QImage& reduced);

private:
    void reduce();

    ColourReduction m_reduction;
    QImage m_reduced;
    QSpinBox* m_colours;
    QComboBox* m_dithering;
    QLabel* m_preview;
    QLabel* m_error;
};
