#pragma once

#include "platform/Dialogs.h"

#include <QPointer>

class QWidget;

// The dialogs as Qt's file dialog, colour dialog and message box, owned by a window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr);
    void setOwner(QWidget* owner) { m_owner = owner; }

    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;
    Colour chooseColour(Colour initial) override;
    int askNumber(const QString& title, const QString& label, int value, int minimum, int maximum) override;
    MessageResult message(const QString& text, const QString& title, MessageButtons buttons,
                          MessageIcon icon) override;

private:
    QString runFileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_owner;
};
