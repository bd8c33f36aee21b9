#include "mainwindow/ColourCommands.h"

#include "canvas/ColourReduction.h"
#include "document/EditingState.h"
#include "document/PortraitDocument.h"
#include "platform/CommandError.h"
#include "platform/Dialogs.h"
#include "platform/StatusBar.h"

#include <QAction>
#include <QWidget>

ColourCommands::ColourCommands(QWidget* window, PortraitDocument& document, const EditingState& state,
                               Dialogs& dialogs, StatusBar& status)
    : QObject(window), m_document(document), m_state(state), m_dialogs(dialogs), m_status(status),
      m_reduce(new QAction(tr("Reduce colours..."), window)),
      m_merge(new QAction(tr("Merge similar"), window))
{
    m_reduce->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_merge->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(m_reduce, &QAction::triggered, this, &ColourCommands::ReduceColours);
    connect(m_merge, &QAction::triggered, this, &ColourCommands::MergeColours);
    window->addActions({m_reduce, m_merge});
}

void ColourCommands::ReduceColours()
{
    int most;
    try {
        most = m_dialogs.askNumber(tr("Reduce colours"), tr("Keep at most this many colours:"),
                                   DefaultColours, 1, MostColours);
    } catch (const CommandError&) {
        return; // cancelled: nothing changes
    }
    const ColourReduction colours(m_document.picPreview().image());
    const QImage reduced = colours.reduced(most);
    // The document's whole-portrait change: one undo step, none when nothing changed.
    m_document.restorePortrait(reduced);
    report(tr("Colour reduction"), colours.colourCount(), ColourReduction(reduced).colourCount());
}

void ColourCommands::MergeColours()
{
    const ColourReduction colours(m_document.picPreview().image());
    const QImage merged = colours.merged(m_state.Tolerance);
    m_document.restorePortrait(merged);
    report(tr("Colour merge"), colours.colourCount(), ColourReduction(merged).colourCount());
}

void ColourCommands::report(const QString& what, int before, int after)
{
    m_status.setPanelText(1,
                          tr("%1: the portrait had %2 colours and has %3.").arg(what).arg(before).arg(after));
}
