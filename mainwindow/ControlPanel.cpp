#include "mainwindow/ControlPanel.h"

#include "document/QualityLevels.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/PaletteStrip.h"
#include "platform/PictureBox.h"
#include "platform/PixelArt.h"
#include "platform/Surface.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionGroupBox>

namespace {

// Frames draw their captions in blue; everything else keeps the window's style.
class BlueCaptionStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
            box && control == CC_GroupBox) {
            QStyleOptionGroupBox blue(*box);
            blue.textColor = QColor(0, 0, 255);
            blue.palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
            QProxyStyle::drawComplexControl(control, &blue, painter, widget);
            return;
        }
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }
};

QGroupBox* makeFrame(QWidget* parent, const QString& caption, QRect geometry, QStyle* style)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setGeometry(geometry);
    frame->setStyle(style);
    return frame;
}

QLabel* makeLabel(QWidget* parent, const QString& text, QRect geometry, bool enabled = true)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setEnabled(enabled);
    return label;
}

QRadioButton* makeOption(QWidget* parent, const QString& caption, QRect geometry, bool selected = false)
{
    auto* option = new QRadioButton(caption, parent);
    option->setGeometry(geometry);
    option->setChecked(selected);
    return option;
}

QLineEdit* makeTextBox(QWidget* parent, const QString& text, QRect geometry)
{
    auto* box = new QLineEdit(text, parent);
    box->setGeometry(geometry);
    box->setMaxLength(3);
    return box;
}

PictureBox* makeSwapButton(QWidget* parent, Surface* icon, QPoint at, const QString& tip)
{
    auto* button = new PictureBox(parent, false);
    button->setSurface(icon);
    button->setClientSize(icon->size());
    button->move(at);
    button->setToolTip(tip);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

ControlPanel::ControlPanel(QWidget* window, const Surface& preview)
{
    const QColor face = window->palette().color(QPalette::Button);
    m_swapIcon = new Surface(16, 16, fromQColor(face), window);
    {
        QPainter p(&m_swapIcon->image());
        p.drawImage(0, 0, PixelArt::png(QStringLiteral(":/swap.png")));
    }

    auto* frameStyle = new BlueCaptionStyle;
    frameStyle->setParent(window);
    frameBGFG = makeFrame(window, tr("Foreground / Background Colors"), {4, 24, 237, 101}, frameStyle);
    picFG = new ColourWell(RGBColour(255, 255, 255), frameBGFG);
    picFG->move(16, 18);
    picBG = new ColourWell(0, frameBGFG);
    picBG->move(16 + 28, 18 + 28);
    picFG->raise();
    picSwap = makeSwapButton(frameBGFG, m_swapIcon, {104, 22}, tr("Swap Colors"));

    frameReplace = makeFrame(window, tr("Replace Colors"), {4, 128, 237, 101}, frameStyle);
    picR1 = new ColourWell(RGBColour(255, 255, 255), frameReplace);
    picR1->move(16, 18);
    picR2 = new ColourWell(0, frameReplace);
    picR2->move(16 + 28, 18 + 28);
    picR1->raise();
    picSwapReplace = makeSwapButton(frameReplace, m_swapIcon, {104, 22}, tr("Swap Colors"));
    chkUseFGBG = new QCheckBox(tr("Use FG/BG Colors"), frameReplace);
    chkUseFGBG->setGeometry(104, 60, 126, 17);
    chkUseFGBG->setToolTip(tr("Use Foreground/Background Colors with Replace"));

    frameGamma = makeFrame(window, tr("Gamma Adjustment"), {4, 232, 237, 45}, frameStyle);
    lblGamma = makeLabel(frameGamma, tr("Gamma Step :"), {12, 20, 72, 15}, false);
    txtGamma = makeTextBox(frameGamma, "15", {86, 17, 33, 20});
    txtGamma->setEnabled(false);
    lblGammaNote = makeLabel(frameGamma, tr("(Must be 0-255)"), {126, 20, 100, 15}, false);

    frameOutput = makeFrame(window, tr("Image Output"), {4, 280, 237, 105}, frameStyle);
    lblQuality = makeLabel(frameOutput, tr("Quality:"), {12, 16, 80, 15}, false);
    optPerfect = makeOption(frameOutput, tr(QualityLevels[0].caption), {12, 32, 116, 16}, true);
    optHigh = makeOption(frameOutput, tr(QualityLevels[1].caption), {12, 49, 116, 16});
    optMed = makeOption(frameOutput, tr(QualityLevels[2].caption), {12, 66, 116, 16});
    optLow = makeOption(frameOutput, tr(QualityLevels[3].caption), {12, 83, 116, 16});
    lblPreview = makeLabel(frameOutput, tr("Preview:"), {150, 16, 60, 15}, false);
    picPreview = new PictureBox(frameOutput);
    picPreview->setSurface(&preview);
    picPreview->setClientSize(preview.size());
    picPreview->move(158, 34);

    frameOptions = makeFrame(window, tr("Misc. Options"), {4, 388, 237, 109}, frameStyle);
    optRGBA = makeOption(frameOptions, tr("Show RGB Popup Always"), {12, 18, 215, 16}, true);
    optRGBS = makeOption(frameOptions, tr("Show RGB Popup Only With CTRL"), {12, 36, 215, 16});
    optRGBN = makeOption(frameOptions, tr("Do not Show RGB Popup"), {12, 54, 215, 16});
    lblRLevel = makeLabel(frameOptions, tr("Popup Transparency:"), {12, 81, 110, 15});
    txtRLevel = makeTextBox(frameOptions, "80", {124, 78, 33, 20});
    lblPercent = makeLabel(frameOptions, tr("%"), {161, 81, 16, 15});

    framePortrait = makeFrame(window, tr("Portrait"), PortraitFrame, frameStyle);
    chkFullColour = new QCheckBox(tr("Full colour detail"), framePortrait);
    chkFullColour->setGeometry(12, 19, 128, 17);
    chkFullColour->setToolTip(tr("Every JPEG quality keeps each pixel's own colour (4:4:4 chroma)"));
    lblTolerance = makeLabel(framePortrait, tr("Tolerance :"), {150, 20, 62, 15});
    txtTolerance = makeTextBox(framePortrait, "0", {214, 17, 33, 20});
    txtTolerance->setToolTip(
        tr("How far each of red, green and blue may differ for Fill, Replace and Merge"));
    lblToleranceNote = makeLabel(framePortrait, tr("(Must be 0-255)"), {254, 20, 100, 15}, false);
    cmdReduce = new QPushButton(tr("Reduce colours..."), framePortrait);
    cmdReduce->setGeometry(368, 16, 122, 22);
    cmdReduce->setToolTip(tr("Reduce the portrait to at most a number of colours (Ctrl+R)"));
    cmdMerge = new QPushButton(tr("Merge similar"), framePortrait);
    cmdMerge->setGeometry(496, 16, 122, 22);
    cmdMerge->setToolTip(tr("Merge colours within the tolerance into their most frequent one (Ctrl+M)"));
    cmdAdjust = new QPushButton(tr("Adjust colours..."), framePortrait);
    cmdAdjust->setGeometry(368, 41, 122, 22);
    cmdAdjust->setToolTip(
        tr("Brightness, contrast, saturation, hue and gamma, previewed in the view (Ctrl+U)"));
    lblScaling = makeLabel(framePortrait, tr("Photo scaling:"), {12, 44, 84, 15});
    optSharp = makeOption(framePortrait, tr("Sharp"), {100, 43, 70, 16}, true);
    optSharp->setToolTip(tr("Import scales photos down with a Lanczos filter in linear light: crisp detail"));
    optSmooth = makeOption(framePortrait, tr("Smooth"), {174, 43, 80, 16});
    optSmooth->setToolTip(tr("Import scales photos down by averaging each area's light exactly: softer"));
    lblPalette = makeLabel(framePortrait, tr("Colours:"), {12, 67, 84, 15});
    picPalette = new PaletteStrip(framePortrait);
    picPalette->move(100, 66);
    picPalette->setToolTip(
        tr("The portrait's colours, most used first: click for the foreground, right-click "
           "for the background, with Shift, Ctrl or Alt for the replace colours"));
    for (QPushButton* button : {cmdReduce, cmdMerge, cmdAdjust})
        button->setFocusPolicy(Qt::NoFocus);
}
