#pragma once

#include "canvas/ColourReduction.h"

#include <QObject>

class PortraitCanvas;
class PortraitDocument;
class QAction;
class QImage;
class QWidget;
class StatusBar;
struct EditingState;

// The colour commands for portraits made from photos: reduce the portrait to at most N
// colours (Ctrl+R, in a dialog that previews the result), merge colours within the
// tolerance into their most frequent member (Ctrl+M), and adjust brightness, contrast,
// saturation, hue and gamma (Ctrl+U). While a dialog is open the view shows its result on
// the adjustment layer; OK makes it one undo step, Cancel leaves the portrait as it was.
// Reduce and merge say in status panel 1 how many colours the portrait had and has.
class ColourCommands : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultColours = 16;
    static constexpr int MostColours = ColourReduction::MostColours;

    // The commands' keys act anywhere in the window.
    ColourCommands(QWidget* window, PortraitDocument& document, PortraitCanvas& canvas,
                   const EditingState& state, StatusBar& status);

    void ReduceColours();
    void MergeColours();
    void AdjustColours();

    QAction* reduceAction() const { return m_reduce; }
    QAction* mergeAction() const { return m_merge; }
    QAction* adjustAction() const { return m_adjust; }

    // The reduction's choices as last confirmed, offered at the next one (and kept between runs).
    int reduceColours() const { return m_colours; }
    void setReduceColours(int colours) { m_colours = colours; }
    ColourReduction::Dithering dithering() const { return m_dithering; }
    void setDithering(ColourReduction::Dithering dithering) { m_dithering = dithering; }

private:
    void report(const QString& what, int before, int after);
    void preview(const QImage& picture);

    QWidget* m_window;
    PortraitDocument& m_document;
    PortraitCanvas& m_canvas;
    const EditingState& m_state;
    StatusBar& m_status;
    QAction* m_reduce;
    QAction* m_merge;
    QAction* m_adjust;
    int m_colours = DefaultColours;
    ColourReduction::Dithering m_dithering = ColourReduction::Dithering::None;
};
