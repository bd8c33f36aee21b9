#pragma once

#include "platform/Status.h"

#include <QString>
#include <stdexcept>

// A run-time error with the number and description the file and import commands show
// in their error box: a Status thrown from deep in a command up to CommandGuard.
class CommandError : public std::runtime_error {
public:
    static constexpr int Cancelled = 32755; // a standard dialog was cancelled

    explicit CommandError(Status status)
        : std::runtime_error(status.text().toStdString()), m_status(std::move(status))
    {
    }
    CommandError(int number, const QString& description, const QString& details = {})
        : CommandError(Status(number, description, details))
    {
    }

    int number() const { return m_status.code(); }
    // The description with its details, if any, on the lines below.
    QString description() const { return m_status.text(); }
    const Status& status() const { return m_status; }

private:
    Status m_status;
};
