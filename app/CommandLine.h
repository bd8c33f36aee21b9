#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Parsing prints --help, --version and the errors
// itself; it needs a QCoreApplication but no display.
struct CommandLine {
    enum class Mode { Editor, Convert, Exit };
    enum class Scaling { TopLeft, Fit, Cover, Face };

    Mode mode = Mode::Editor;
    int exitCode = 0;   // for Mode::Exit
    QString openFile;   // pictoria FILE
    QString importFile; // pictoria --import FILE
    QString input;      // --convert IN OUT
    QString output;
    QStringList inputs; // --convert IN... --into FOLDER
    QString into;
    int quality = 100;
    Scaling scaling = Scaling::TopLeft;
    bool smooth = false;     // the exact area average instead of the sharp filter
    bool fullColour = false; // JPEG with 4:4:4 chroma at any quality

    static constexpr int UsageError = 2;
    static CommandLine parse(const QStringList& arguments);
};
