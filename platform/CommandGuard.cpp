#include "platform/CommandGuard.h"

#include "platform/CommandError.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <new>

namespace CommandGuard {

void showError(Dialogs& dialogs, int number, const QString& description)
{
    if (number == CommandError::Cancelled)
        return;
    dialogs.message(QCoreApplication::translate("CommandGuard", "Error occured: ") + description,
                    QCoreApplication::translate("CommandGuard", "Error Code ") + QString::number(number),
                    MessageButtons::Ok, MessageIcon::Critical);
}

bool run(Dialogs& dialogs, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const CommandError& e) {
        showError(dialogs, e.number(), e.description());
    } catch (const std::bad_alloc&) {
        showError(dialogs, OutOfMemory, QCoreApplication::translate("CommandGuard", "Out of memory"));
    } catch (const std::exception& e) {
        showError(dialogs, InternalError, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace CommandGuard
