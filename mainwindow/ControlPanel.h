#pragma once

#include <QCoreApplication>
#include <QRect>
#include <QWidget>

class ColourWell;
class PaletteStrip;
class PictureBox;
class Surface;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The left-hand column of the main window: five frames with the colour wells, the
// replace options, the gamma step, the output quality with the preview, and the
// popup options; below them, across the window, the "Portrait" frame with the colour
// work for pictures made from photos and the portrait's palette. The original controls keep their names; the
// window wires them.
class ControlPanel {
    Q_DECLARE_TR_FUNCTIONS(ControlPanel)

public:
    ControlPanel(QWidget* window, const Surface& preview);

    QGroupBox* frameBGFG;
    QGroupBox* frameReplace;
    QGroupBox* frameGamma;
    QGroupBox* frameOutput;
    QGroupBox* frameOptions;
    QGroupBox* framePortrait;

    ColourWell* picFG;
    ColourWell* picBG;
    PictureBox* picSwap;
    ColourWell* picR1;
    ColourWell* picR2;
    PictureBox* picSwapReplace;
    QCheckBox* chkUseFGBG;

    QLabel* lblGamma;
    QLineEdit* txtGamma;
    QLabel* lblGammaNote;

    QLabel* lblQuality;
    QRadioButton* optPerfect;
    QRadioButton* optHigh;
    QRadioButton* optMed;
    QRadioButton* optLow;
    QLabel* lblPreview;
    PictureBox* picPreview;

    QRadioButton* optRGBA;
    QRadioButton* optRGBS;
    QRadioButton* optRGBN;
    QLabel* lblRLevel;
    QLineEdit* txtRLevel;
    QLabel* lblPercent;

    QCheckBox* chkFullColour;
    QLabel* lblTolerance;
    QLineEdit* txtTolerance;
    QLabel* lblToleranceNote;
    QPushButton* cmdReduce;
    QPushButton* cmdMerge;
    QPushButton* cmdAdjust;
    QLabel* lblScaling;
    QRadioButton* optSharp;
    QRadioButton* optSmooth;
    QLabel* lblPalette;
    PaletteStrip* picPalette;

    // The frame's place: the window grows by its height and gap. Its second row holds
    // how photos are scaled into portraits, its third the portrait's colours.
    static constexpr QRect PortraitFrame{4, 500, 632, 90};

private:
    Surface* m_swapIcon;
};
