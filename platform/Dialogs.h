#pragma once

#include "platform/Colour.h"

#include <QString>

// SaveDiscardCancel defaults to Cancel (Return and Escape both cancel); RestoreDiscard
// defaults to Restore, and Escape answers Cancel.
enum class MessageButtons {
    Ok,
    OkCancel,
    RetryCancel,
    YesNo,
    YesNoCancel,
    SaveDiscardCancel,
    RestoreDiscard
};
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageResult { Ok, Cancel, Retry, Yes, No, Save, Discard, Restore };

// A standard file dialog's settings. The filter is written as pairs of description
// and pattern separated by "|", e.g. "JPEG Image (*.jpg)|*.jpg".
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1;    // 1-based
    QString directory = {}; // where the dialog starts; empty: its own default
    QString fileName = {};  // the name filled in (save dialogs)
};

// The standard dialogs and message boxes. Every cancelled dialog throws
// CommandError(CommandError::Cancelled, ...), as a cancelled common dialog raises 32755.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual QString openFileName(const FileDialogRequest& request) = 0;
    virtual QString saveFileName(const FileDialogRequest& request) = 0;
    // Opens on the initial colour.
    virtual Colour chooseColour(Colour initial) = 0;
    // A whole number from minimum to maximum, offered first as value.
    virtual int askNumber(const QString& title, const QString& label, int value, int minimum,
                          int maximum) = 0;
    virtual MessageResult message(const QString& text, const QString& title, MessageButtons buttons,
                                  MessageIcon icon) = 0;
};

// "Desc|pattern|Desc2|pattern2" as Qt's ";;"-separated name filters.
QStringList toQtNameFilters(const QString& filter);
