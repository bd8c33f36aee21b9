#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QQueue>
#include <optional>

// A test double: answers come from queues filled beforehand, and every request and
// message box is recorded. An empty queue answers like a cancelled dialog (or, for
// message boxes, OK where offered, else the cautious answer: Cancel or No).
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
    };

    // std::nullopt scripts a cancel.
    QQueue<std::optional<QString>> fileAnswers;
    QQueue<std::optional<Colour>> colourAnswers;
    QQueue<std::optional<int>> numberAnswers;
    QQueue<MessageResult> messageAnswers;

    QList<FileDialogRequest> fileRequests;
    QList<bool> fileRequestWasSave;
    int colourRequests = 0;
    QList<Colour> colourInitials; // the colour each colour dialog opened on
    struct NumberRequest {
        QString title;
        QString label;
        int value, minimum, maximum;
    };
    QList<NumberRequest> numberRequests;
    QList<Message> messages;

    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
    Colour chooseColour(Colour initial) override;
    // An answer outside the range is clamped into it, as the number dialog allows no other.
    int askNumber(const QString& title, const QString& label, int value, int minimum, int maximum) override;
    MessageResult message(const QString& text, const QString& title, MessageButtons buttons,
                          MessageIcon icon) override;

private:
    QString answerFile(const FileDialogRequest& request, bool save);
};
