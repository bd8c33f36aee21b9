#pragma once

#include <QString>
#include <functional>

class Dialogs;
class Status;

// The one place a failure becomes what the window shows. run() runs one user command and
// turns whatever it throws into the error box: "Error occured: <description>" titled
// "Error Code <number>" (7 for a failed allocation, 51 for any other exception). A
// cancelled standard dialog shows nothing. Returns whether the command ran to its end.
namespace CommandGuard {
inline constexpr int OutOfMemory = 7;
inline constexpr int InternalError = 51;

bool run(Dialogs& dialogs, const std::function<void()>& command);
// The error box alone, for a failure the command reports itself; the status's code is
// the error number.
void showError(Dialogs& dialogs, const Status& status);
void showError(Dialogs& dialogs, int number, const QString& description);
// The box of a file command the codec service failed: what was not done, why, and the
// service's status by name (a GdiStatus code) unless the reason says it already.
void showCodecFailure(Dialogs& dialogs, const QString& title, const QString& what, const Status& status);
} // namespace CommandGuard
