#pragma once

#include <QObject>

class Dialogs;
class PortraitDocument;
class QAction;
class QWidget;
class StatusBar;
struct EditingState;

// The two colour commands for portraits made from photos: reduce the portrait to at
// most N colours (N asked for), and merge colours within the tolerance into their most
// frequent member. Each is one undo step and says in status panel 1 how many colours
// the portrait had and has.
class ColourCommands : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultColours = 16;
    static constexpr int MostColours = 256;

    // The commands' keys act anywhere in the window.
    ColourCommands(QWidget* window, PortraitDocument& document, const EditingState& state, Dialogs& dialogs,
                   StatusBar& status);

    void ReduceColours();
    void MergeColours();

    QAction* reduceAction() const { return m_reduce; }
    QAction* mergeAction() const { return m_merge; }

private:
    void report(const QString& what, int before, int after);

    PortraitDocument& m_document;
    const EditingState& m_state;
    Dialogs& m_dialogs;
    StatusBar& m_status;
    QAction* m_reduce;
    QAction* m_merge;
};
