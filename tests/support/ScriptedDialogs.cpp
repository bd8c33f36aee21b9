#include "support/ScriptedDialogs.h"

#include "platform/CommandError.h"

#include <algorithm>

QString ScriptedDialogs::answerFile(const FileDialogRequest& request, bool save)
{
    fileRequests << request;
    fileRequestWasSave << save;
    const std::optional<QString> answer = fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
    if (!answer)
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return *answer;
}

QString ScriptedDialogs::openFileName(const FileDialogRequest& request)
{
    return answerFile(request, false);
}

QString ScriptedDialogs::saveFileName(const FileDialogRequest& request)
{
    return answerFile(request, true);
}

Colour ScriptedDialogs::chooseColour(Colour initial)
{
    ++colourRequests;
    colourInitials << initial;
    const std::optional<Colour> answer = colourAnswers.isEmpty() ? std::nullopt : colourAnswers.dequeue();
    if (!answer)
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return *answer;
}

int ScriptedDialogs::askNumber(const QString& title, const QString& label, int value, int minimum,
                               int maximum)
{
    numberRequests << NumberRequest{title, label, value, minimum, maximum};
    const std::optional<int> answer = numberAnswers.isEmpty() ? std::nullopt : numberAnswers.dequeue();
    if (!answer)
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return std::clamp(*answer, minimum, maximum);
}

MessageResult ScriptedDialogs::message(const QString& text, const QString& title, MessageButtons buttons,
                                       MessageIcon icon)
{
    messages << Message{text, title, buttons, icon};
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageResult::Ok;
    case MessageButtons::RetryCancel:
        return MessageResult::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageResult::No;
    case MessageButtons::SaveDiscardCancel:
    case MessageButtons::RestoreDiscard:
        return MessageResult::Cancel;
    }
    return MessageResult::Cancel;
}
