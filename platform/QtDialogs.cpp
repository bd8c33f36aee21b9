#include "platform/QtDialogs.h"

#include "platform/CommandError.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

QStringList toQtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // Qt reads the patterns from the last parentheses of a filter.
        if (description.endsWith('(' + patterns + ')'))
            filters << description;
        else
            filters << description + " (" + patterns + ')';
    }
    return filters;
}

QtDialogs::QtDialogs(QWidget* owner) : m_owner(owner) {}

QString QtDialogs::runFileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(m_owner, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = toQtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::openFileName(const FileDialogRequest& request) { return runFileDialog(request, false); }

QString QtDialogs::saveFileName(const FileDialogRequest& request) { return runFileDialog(request, true); }

Colour QtDialogs::chooseColour(Colour initial)
{
    const QColor chosen = QColorDialog::getColor(toQColor(initial), m_owner);
    if (!chosen.isValid())
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return fromQColor(chosen);
}

int QtDialogs::askNumber(const QString& title, const QString& label, int value, int minimum, int maximum)
{
    bool ok = false;
    const int chosen = QInputDialog::getInt(m_owner, title, label, value, minimum, maximum, 1, &ok);
    if (!ok)
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return chosen;
}

MessageResult QtDialogs::message(const QString& text, const QString& title, MessageButtons buttons,
                                 MessageIcon icon)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MessageResult::Ok;
    case QMessageBox::Retry: return MessageResult::Retry;
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    default: return MessageResult::Cancel;
    }
}
