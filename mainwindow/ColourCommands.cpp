#include "mainwindow/ColourCommands.h"

#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "mainwindow/AdjustColoursDialog.h"
#include "mainwindow/ReduceColoursDialog.h"
#include "platform/StatusBar.h"

#include <QAction>
#include <QWidget>

ColourCommands::ColourCommands(QWidget* window, PortraitDocument& document, PortraitCanvas& canvas,
                               const EditingState& state, StatusBar& status)
    : QObject(window), m_window(window), m_document(document), m_canvas(canvas), m_state(state),
      m_status(status), m_reduce(new QAction(tr("Reduce colours..."), window)),
      m_merge(new QAction(tr("Merge similar"), window)),
      m_adjust(new QAction(tr("Adjust Colours..."), window))
{
    m_reduce->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_merge->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    m_adjust->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    connect(m_reduce, &QAction::triggered, this, &ColourCommands::ReduceColours);
    connect(m_merge, &QAction::triggered, this, &ColourCommands::MergeColours);
    connect(m_adjust, &QAction::triggered, this, &ColourCommands::AdjustColours);
    window->addActions({m_reduce, m_merge, m_adjust});
}

void ColourCommands::preview(const QImage& picture)
{
    m_canvas.showPicture(ViewLayer::Adjustment, picture);
}

void ColourCommands::ReduceColours()
{
    const QImage before = m_document.picPreview().image().copy();
    ReduceColoursDialog dialog(before, m_colours, m_dithering, m_window);
    connect(&dialog, &ReduceColoursDialog::previewChanged, this, &ColourCommands::preview);
    preview(dialog.reduced());
    const bool taken = dialog.exec() == QDialog::Accepted;
    m_canvas.hidePicture(ViewLayer::Adjustment);
    if (!taken)
        return; // cancelled: nothing changes
    m_colours = dialog.colours();
    m_dithering = dialog.dithering();
    // The document's whole-portrait change: one undo step, none when nothing changed.
    m_document.restorePortrait(dialog.reduced());
    report(tr("Colour reduction"), ColourReduction(before).colourCount(),
           ColourReduction(dialog.reduced()).colourCount());
}

void ColourCommands::MergeColours()
{
    const ColourReduction colours(m_document.picPreview().image());
    const QImage merged = colours.merged(m_state.Tolerance);
    m_document.restorePortrait(merged);
    report(tr("Colour merge"), colours.colourCount(), ColourReduction(merged).colourCount());
}

void ColourCommands::AdjustColours()
{
    AdjustColoursDialog dialog(m_document.picPreview().image().copy(), m_window);
    connect(&dialog, &AdjustColoursDialog::previewChanged, this, &ColourCommands::preview);
    const bool taken = dialog.exec() == QDialog::Accepted;
    m_canvas.hidePicture(ViewLayer::Adjustment);
    if (!taken || dialog.settings().isNeutral())
        return; // the portrait was never touched: it is exactly as it was
    m_document.restorePortrait(dialog.adjusted());
    m_status.setPanelText(1, tr("Colours adjusted."));
}

void ColourCommands::report(const QString& what, int before, int after)
{
    m_status.setPanelText(1,
                          tr("%1: the portrait had %2 colours and has %3.").arg(what).arg(before).arg(after));
}
