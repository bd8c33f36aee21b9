#pragma once

#include "mainwindow/BoxValidation.h"
#include "platform/Colour.h"

#include <QObject>

class ControlPanel;
class ColourWell;
class Dialogs;
class QLineEdit;
struct EditingState;

// Turns the options panel's input into editing state: the four colour wells with
// their colour dialog and swaps, the quality options, the "Full colour detail" box,
// and the three validated boxes.
class ColourWellsAndOptions : public QObject {
    Q_OBJECT
public:
    ColourWellsAndOptions(ControlPanel& panel, EditingState& state, Dialogs& dialogs,
                          QObject* parent = nullptr);

    void picFG_DblClick();
    void picBG_DblClick();
    void picR1_DblClick();
    void picR2_DblClick();
    void picSwap_Click();
    void picSwapReplace_Click();
    void optLow_Click();
    void optMed_Click();
    void optHigh_Click();
    void optPerfect_Click();
    void txtGamma_Change();
    void txtGamma_Click();
    void txtRLevel_Change();
    void chkFullColour_Click();
    void txtTolerance_Change();

signals:
    // A setting of the saved file changed (the colour detail).
    void outputChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Stacking { Front, Back };
    void chooseWellColour(ColourWell* well, Colour EditingState::*value, Stacking stacking);
    void connectControls();
    // Puts the box's corrected text back and returns its value.
    double validateBox(QLineEdit* box, BoxValidation::Result (*validate)(const QString&));

    ControlPanel& m_panel;
    EditingState& m_state;
    Dialogs& m_dialogs;
    bool m_validating = false;
};
