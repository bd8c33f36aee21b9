#pragma once

#include <QString>
#include <functional>

class Dialogs;

// Runs one user command and turns whatever it throws into the error box the file and
// import commands show: "Error occured: <description>" titled "Error Code <number>"
// (7 for a failed allocation, 51 for any other exception). A cancelled standard dialog
// shows nothing. Returns whether the command ran to its end.
namespace CommandGuard {
inline constexpr int OutOfMemory = 7;
inline constexpr int InternalError = 51;

bool run(Dialogs& dialogs, const std::function<void()>& command);
// The error box alone, for a failure the command reports itself.
void showError(Dialogs& dialogs, int number, const QString& description);
} // namespace CommandGuard
