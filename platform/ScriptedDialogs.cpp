#include "platform/ScriptedDialogs.h"

#include "platform/CommandError.h"

QString ScriptedDialogs::answerFile(const FileDialogRequest& request, bool save)
{
    fileRequests << request;
    fileRequestWasSave << save;
    const std::optional<QString> answer = fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
    if (!answer)
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return *answer;
}

QString ScriptedDialogs::openFileName(const FileDialogRequest& request) { return answerFile(request, false); }

QString ScriptedDialogs::saveFileName(const FileDialogRequest& request) { return answerFile(request, true); }

Colour ScriptedDialogs::chooseColour()
{
    ++colourRequests;
    const std::optional<Colour> answer = colourAnswers.isEmpty() ? std::nullopt : colourAnswers.dequeue();
    if (!answer)
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return *answer;
}

MessageResult ScriptedDialogs::message(const QString& text, const QString& title, MessageButtons buttons,
                                       MessageIcon icon)
{
    messages << Message{text, title, buttons, icon};
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel: return MessageResult::Ok;
    case MessageButtons::RetryCancel: return MessageResult::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return MessageResult::No;
    case MessageButtons::SaveDiscardCancel:
    case MessageButtons::RestoreDiscard: return MessageResult::Cancel;
    }
    return MessageResult::Cancel;
}
