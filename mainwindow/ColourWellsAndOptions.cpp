#include "mainwindow/ColourWellsAndOptions.h"

#include "document/EditingState.h"
#include "document/QualityLevels.h"
#include "mainwindow/BoxValidation.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ControlPanel.h"
#include "platform/CommandError.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>

ColourWellsAndOptions::ColourWellsAndOptions(ControlPanel& panel, EditingState& state, Dialogs& dialogs,
                                             QObject* parent)
    : QObject(parent), m_panel(panel), m_state(state), m_dialogs(dialogs)
{
    connectControls();
}

void ColourWellsAndOptions::connectControls()
{
    connect(m_panel.picFG, &PictureBox::doubleClicked, this, &ColourWellsAndOptions::picFG_DblClick);
    connect(m_panel.picBG, &PictureBox::doubleClicked, this, &ColourWellsAndOptions::picBG_DblClick);
    connect(m_panel.picR1, &PictureBox::doubleClicked, this, &ColourWellsAndOptions::picR1_DblClick);
    connect(m_panel.picR2, &PictureBox::doubleClicked, this, &ColourWellsAndOptions::picR2_DblClick);
    connect(m_panel.picSwap, &PictureBox::clicked, this, &ColourWellsAndOptions::picSwap_Click);
    connect(m_panel.picSwapReplace, &PictureBox::clicked, this, &ColourWellsAndOptions::picSwapReplace_Click);
    connect(m_panel.optLow, &QRadioButton::clicked, this, &ColourWellsAndOptions::optLow_Click);
    connect(m_panel.optMed, &QRadioButton::clicked, this, &ColourWellsAndOptions::optMed_Click);
    connect(m_panel.optHigh, &QRadioButton::clicked, this, &ColourWellsAndOptions::optHigh_Click);
    connect(m_panel.optPerfect, &QRadioButton::clicked, this, &ColourWellsAndOptions::optPerfect_Click);
    connect(m_panel.txtGamma, &QLineEdit::textChanged, this, &ColourWellsAndOptions::txtGamma_Change);
    connect(m_panel.txtRLevel, &QLineEdit::textChanged, this, &ColourWellsAndOptions::txtRLevel_Change);
    connect(m_panel.chkFullColour, &QCheckBox::clicked, this, &ColourWellsAndOptions::chkFullColour_Click);
    connect(m_panel.txtTolerance, &QLineEdit::textChanged, this, &ColourWellsAndOptions::txtTolerance_Change);
    m_panel.txtGamma->installEventFilter(this);
}

bool ColourWellsAndOptions::eventFilter(QObject* watched, QEvent* event)
{
    // Selecting on release: the press has already placed the cursor.
    if (watched == m_panel.txtGamma && event->type() == QEvent::MouseButtonRelease) {
        m_panel.txtGamma->event(event);
        txtGamma_Click();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ColourWellsAndOptions::chooseWellColour(ColourWell* well, Colour EditingState::*value, Stacking stacking)
{
    Colour chosen;
    try {
        chosen = m_dialogs.chooseColour(well->fill());
    } catch (const CommandError&) {
        return; // cancelled or failed: nothing changes
    }
    m_state.*value = chosen;
    well->setFill(chosen);
    if (stacking == Stacking::Front)
        well->raise();
    else
        well->lower();
}

void ColourWellsAndOptions::picFG_DblClick()
{
    chooseWellColour(m_panel.picFG, &EditingState::FGColor, Stacking::Front);
}

void ColourWellsAndOptions::picBG_DblClick()
{
    chooseWellColour(m_panel.picBG, &EditingState::BGColor, Stacking::Back);
}

void ColourWellsAndOptions::picR1_DblClick()
{
    chooseWellColour(m_panel.picR1, &EditingState::R1Color, Stacking::Front);
}

void ColourWellsAndOptions::picR2_DblClick()
{
    chooseWellColour(m_panel.picR2, &EditingState::R2Color, Stacking::Back);
}

void ColourWellsAndOptions::picSwap_Click()
{
    // The wells' fills, not the stored values, are the source.
    const Colour oldFG = m_panel.picFG->fill();
    const Colour oldBG = m_panel.picBG->fill();
    m_panel.picFG->setFill(oldBG);
    m_panel.picBG->setFill(oldFG);
    m_state.FGColor = oldBG;
    m_state.BGColor = oldFG;
}

void ColourWellsAndOptions::picSwapReplace_Click()
{
    const Colour oldR1 = m_panel.picR1->fill();
    const Colour oldR2 = m_panel.picR2->fill();
    m_panel.picR1->setFill(oldR2);
    m_panel.picR2->setFill(oldR1);
    m_state.R1Color = oldR2;
    m_state.R2Color = oldR1;
}

void ColourWellsAndOptions::optLow_Click()
{
    m_state.OutputQuality = QualityLevels[3].percent;
}
void ColourWellsAndOptions::optMed_Click()
{
    m_state.OutputQuality = QualityLevels[2].percent;
}
void ColourWellsAndOptions::optHigh_Click()
{
    m_state.OutputQuality = QualityLevels[1].percent;
}
void ColourWellsAndOptions::optPerfect_Click()
{
    m_state.OutputQuality = QualityLevels[0].percent;
}

double ColourWellsAndOptions::validateBox(QLineEdit* box, BoxValidation::Result (*validate)(const QString&))
{
    // Replacing the text raises the change again; the nested run would find the same
    // valid text, so it is not run.
    const BoxValidation::Result r = validate(box->text());
    if (r.text != box->text()) {
        m_validating = true;
        box->setText(r.text);
        m_validating = false;
    }
    return r.value;
}

void ColourWellsAndOptions::txtGamma_Change()
{
    if (!m_validating)
        m_state.GammaStep =
            BoxValidation::gammaStep(validateBox(m_panel.txtGamma, &BoxValidation::gammaText));
}

void ColourWellsAndOptions::txtGamma_Click()
{
    m_panel.txtGamma->setSelection(0, 3);
}

void ColourWellsAndOptions::txtRLevel_Change()
{
    if (!m_validating)
        m_state.PopupAlpha =
            BoxValidation::popupAlpha(validateBox(m_panel.txtRLevel, &BoxValidation::levelText));
}

void ColourWellsAndOptions::chkFullColour_Click()
{
    m_state.FullColourDetail = m_panel.chkFullColour->isChecked();
    emit outputChanged();
}

void ColourWellsAndOptions::txtTolerance_Change()
{
    if (!m_validating)
        m_state.Tolerance =
            BoxValidation::tolerance(validateBox(m_panel.txtTolerance, &BoxValidation::toleranceText));
}
