#pragma once

#include <QString>
#include <stdexcept>

// A run-time error with the number and description the file and import commands
// show in their error box.
class CommandError : public std::runtime_error {
public:
    static constexpr int Cancelled = 32755; // a standard dialog was cancelled

    CommandError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};
