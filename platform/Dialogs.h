#pragma once

#include "platform/Colour.h"

#include <QString>

enum class MessageButtons { Ok, OkCancel, RetryCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageResult { Ok, Cancel, Retry, Yes, No };

// A standard file dialog's settings. The filter is written as pairs of description
// and pattern separated by "|", e.g. "JPEG Image (*.jpg)|*.jpg".
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1; // 1-based
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
