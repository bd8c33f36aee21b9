#pragma once

#include "CommandLine.h"

#include <QString>

// pictoria --convert: a portrait from any picture the importer reads, written as Save
// writes it. No window and no display.
class PortraitConverter {
public:
    explicit PortraitConverter(const CommandLine& command) : m_command(command) {}

    // 0, or 1 with one line on stderr that says why.
    int run();

private:
    const CommandLine& m_command;
};
