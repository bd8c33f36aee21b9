#pragma once

#include "CommandLine.h"

#include <QString>

// pictoria --convert: a portrait from any picture the importer reads, written as Save
// writes it. No window and no display. A batch (--into) converts one picture per core,
// each decode in its own helper.
class PortraitConverter {
public:
    explicit PortraitConverter(const CommandLine& command) : m_command(command) {}

    // 0; or 1 with one line on stderr for each picture that failed, saying why.
    int run();

private:
    // Makes the portrait of in and writes it as name; empty, or why it failed.
    QString convert(const QString& in, const QString& name) const;
    int runBatch();

    const CommandLine& m_command;
};
