#include "platform/QtDialogs.h"

#include "platform/CommandError.h"
#include "platform/MessageFit.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>

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

namespace {

// Restore is the default; Escape (a hidden Cancel) leaves the choice for later.
MessageResult restoreOrDiscard(QMessageBox& box)
{
    QPushButton* restore = box.addButton(QMessageBox::tr("&Restore"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QMessageBox::Discard);
    discard->setText(QMessageBox::tr("&Discard"));
    QPushButton* later = box.addButton(QMessageBox::Cancel);
    later->hide();
    box.setDefaultButton(restore);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == restore)
        return MessageResult::Restore;
    return box.clickedButton() == discard ? MessageResult::Discard : MessageResult::Cancel;
}

} // namespace

QString QtDialogs::runFileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(m_owner, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = toQtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        throw CommandError(CommandError::Cancelled, "Cancel was selected.");
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::openFileName(const FileDialogRequest& request)
{
    return runFileDialog(request, false);
}

QString QtDialogs::saveFileName(const FileDialogRequest& request)
{
    return runFileDialog(request, true);
}

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
    // Names of files and what libraries say are shown as they are, never as markup, and
    // cut down to fit the screen; then the whole text is under "Show Details".
    box.setTextFormat(Qt::PlainText);
    const QScreen* screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const QFontMetrics metrics(box.font());
    MessageFit fit(metrics, std::min(room.width() / 2, 500), room.height() / 2 / metrics.lineSpacing());
    box.setText(fit.fit(text));
    if (fit.cut())
        box.setDetailedText(text);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MessageButtons::SaveDiscardCancel:
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        // Access keys, so S and D answer from the keyboard.
        box.button(QMessageBox::Save)->setText(QMessageBox::tr("&Save"));
        box.button(QMessageBox::Discard)->setText(QMessageBox::tr("&Discard"));
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::RestoreDiscard:
        return restoreOrDiscard(box);
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageResult::Ok;
    case QMessageBox::Retry:
        return MessageResult::Retry;
    case QMessageBox::Yes:
        return MessageResult::Yes;
    case QMessageBox::No:
        return MessageResult::No;
    case QMessageBox::Save:
        return MessageResult::Save;
    case QMessageBox::Discard:
        return MessageResult::Discard;
    default:
        return MessageResult::Cancel;
    }
}
