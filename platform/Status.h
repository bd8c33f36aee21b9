#pragma once

#include <QString>
#include <utility>

// The outcome of a file or import step, returned up to the command that started it: Ok,
// or a code with the failure in words and, where there is more to say, details. Files
// report codec status codes (GdiStatus), the commands error numbers (CommandError); the
// boxes the window shows are made from it in one place, CommandGuard.
class Status {
public:
    static constexpr int Ok = 0;

    Status() = default;
    Status(int code, QString message, QString details = {})
        : m_code(code), m_message(std::move(message)), m_details(std::move(details))
    {
    }

    bool ok() const { return m_code == Ok; }
    int code() const { return m_code; }
    const QString& message() const { return m_message; }
    const QString& details() const { return m_details; }
    // The message with the details on the lines below it, as a box or a log shows both.
    QString text() const { return m_details.isEmpty() ? m_message : m_message + u'\n' + m_details; }

    friend bool operator==(const Status&, const Status&) = default;

private:
    int m_code = Ok;
    QString m_message;
    QString m_details;
};
