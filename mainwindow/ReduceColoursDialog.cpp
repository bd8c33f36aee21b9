#include "mainwindow/ReduceColoursDialog.h"

#include "canvas/Magnifier.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int PreviewZoom = 3;
}

ReduceColoursDialog::ReduceColoursDialog(const QImage& portrait, int colours,
                                         ColourReduction::Dithering dithering, QWidget* parent)
    : QDialog(parent), m_reduction(portrait)
{
    setWindowTitle(tr("Reduce colours"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_colours = new QSpinBox(this);
    m_colours->setRange(1, ColourReduction::MostColours);
    m_colours->setValue(colours);
    form->addRow(tr("Keep at most this many &colours:"), m_colours);
    m_dithering = new QComboBox(this);
    m_dithering->addItem(tr("None"), int(ColourReduction::Dithering::None));
    m_dithering->addItem(tr("Ordered"), int(ColourReduction::Dithering::Ordered));
    m_dithering->addItem(tr("Error diffusion"), int(ColourReduction::Dithering::ErrorDiffusion));
    m_dithering->setCurrentIndex(m_dithering->findData(int(dithering)));
    form->addRow(tr("&Dithering:"), m_dithering);
    layout->addLayout(form);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("lblReducedPreview"));
    m_preview->setFixedSize(portrait.size() * PreviewZoom);
    layout->addWidget(m_preview, 0, Qt::AlignHCenter);
    m_error = new QLabel(this);
    layout->addWidget(m_error);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_colours, &QSpinBox::valueChanged, this, &ReduceColoursDialog::reduce);
    connect(m_dithering, &QComboBox::currentIndexChanged, this, &ReduceColoursDialog::reduce);
    m_colours->setFocus();
    m_colours->selectAll();
    reduce();
}

int ReduceColoursDialog::colours() const
{
    return m_colours->value();
}

ColourReduction::Dithering ReduceColoursDialog::dithering() const
{
    return ColourReduction::Dithering(m_dithering->currentData().toInt());
}

void ReduceColoursDialog::reduce()
{
    m_reduced = m_reduction.reduced(colours(), dithering());
    m_preview->setPixmap(QPixmap::fromImage(Magnifier::enlarged(m_reduced, PreviewZoom)));
    m_error->setText(tr("%1 colours; mean colour error %2 (OKLab, x 100)")
                         .arg(ColourReduction(m_reduced).colourCount())
                         .arg(ColourReduction::meanError(m_reduction.picture(), m_reduced), 0, 'f', 2));
    emit previewChanged(m_reduced);
}
