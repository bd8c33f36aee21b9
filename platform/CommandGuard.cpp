#include "platform/CommandGuard.h"

#include "platform/CommandError.h"
#include "platform/Dialogs.h"
#include "platform/GdiStatus.h"
#include "platform/Status.h"

#include <QCoreApplication>
#include <new>

namespace CommandGuard {

void showError(Dialogs& dialogs, const Status& status)
{
    if (status.code() == CommandError::Cancelled)
        return;
    dialogs.message(QCoreApplication::translate("CommandGuard", "Error occured: ") + status.text(),
                    QCoreApplication::translate("CommandGuard", "Error Code ") +
                        QString::number(status.code()),
                    MessageButtons::Ok, MessageIcon::Critical);
}

void showError(Dialogs& dialogs, int number, const QString& description)
{
    showError(dialogs, Status(number, description));
}

void showCodecFailure(Dialogs& dialogs, const QString& title, const QString& what, const Status& status)
{
    QString text = what + QStringLiteral("\r\n") + status.text();
    if (!status.ok() && status.code() != GdiStatus::UnknownImageFormat)
        text += QStringLiteral("\r\n(") + GdiStatus::text(status.code()) + u')';
    dialogs.message(text, title, MessageButtons::Ok, MessageIcon::Critical);
}

bool run(Dialogs& dialogs, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const CommandError& e) {
        showError(dialogs, e.status());
    } catch (const std::bad_alloc&) {
        showError(dialogs, OutOfMemory, QCoreApplication::translate("CommandGuard", "Out of memory"));
    } catch (const std::exception& e) {
        showError(dialogs, InternalError, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace CommandGuard
