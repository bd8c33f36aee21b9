#include "mainwindow/AdjustColoursDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

AdjustColoursDialog::AdjustColoursDialog(const QImage& portrait, QWidget* parent)
    : QDialog(parent), m_portrait(portrait)
{
    setWindowTitle(tr("Adjust Colours"));
    auto* grid = new QGridLayout(this);
    const struct {
        const char* caption;
        int least, most;
    } rows[ControlCount] = {{QT_TR_NOOP("&Brightness:"), -100, 100},
                            {QT_TR_NOOP("&Contrast:"), -100, 100},
                            {QT_TR_NOOP("&Saturation:"), -100, 100},
                            {QT_TR_NOOP("&Hue:"), -180, 180},
                            {QT_TR_NOOP("&Gamma:"), -100, 100}};
    for (int i = 0; i < ControlCount; ++i) {
        auto* label = new QLabel(tr(rows[i].caption), this);
        auto* slider = new QSlider(Qt::Horizontal, this);
        auto* box = new QSpinBox(this);
        slider->setRange(rows[i].least, rows[i].most);
        box->setRange(rows[i].least, rows[i].most);
        slider->setMinimumWidth(200);
        slider->setPageStep(10);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(box, i, 2);
        connect(slider, &QSlider::valueChanged, box, &QSpinBox::setValue);
        connect(box, &QSpinBox::valueChanged, slider, &QSlider::setValue);
        // The slider and the box echo each other once; the preview follows the box.
        connect(box, &QSpinBox::valueChanged, this, [this] { emit previewChanged(adjusted()); });
        m_sliders[std::size_t(i)] = slider;
        m_boxes[std::size_t(i)] = box;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* reset = buttons->addButton(tr("&Reset"), QDialogButtonBox::ResetRole);
    connect(reset, &QPushButton::clicked, this, [this] {
        for (QSpinBox* box : m_boxes)
            box->setValue(0);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, ControlCount, 0, 1, 3);
    m_boxes[Brightness]->setFocus();
    m_boxes[Brightness]->selectAll();
}

ColourAdjustment::Settings AdjustColoursDialog::settings() const
{
    return {m_boxes[Brightness]->value(), m_boxes[Contrast]->value(), m_boxes[Saturation]->value(),
            m_boxes[Hue]->value(), m_boxes[Gamma]->value()};
}
