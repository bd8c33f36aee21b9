#include "CommandLine.h"

#include "document/QualityLevels.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("CommandLine", text);
}

const char* const Usage =
    "Usage: pictoria [FILE | --import FILE] | pictoria --convert {IN OUT | IN... --into "
    "FOLDER} [--quality 100|85|70|55] [--fit|--cover|--face] [--smooth] [--full-colour]\n";

CommandLine exitWith(int code)
{
    CommandLine c;
    c.mode = CommandLine::Mode::Exit;
    c.exitCode = code;
    return c;
}

CommandLine usageError(const QString& why)
{
    std::fprintf(stderr, "pictoria: %s\n%s", qPrintable(why), Usage);
    return exitWith(CommandLine::UsageError);
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Paints 48 x 56 pixel portraits. With --convert, makes a portrait from a picture "
           "without opening a window."));
    const QCommandLineOption help({"h", "help"}, tr("Show this help."));
    const QCommandLineOption version({"v", "version"}, tr("Show the version."));
    const QCommandLineOption import("import", tr("Import FILE in the import window instead of opening it."),
                                    "FILE");
    const QCommandLineOption convert("convert", tr("Make a portrait from IN and save it as OUT."));
    const QCommandLineOption quality("quality", tr("JPEG quality of --convert: 100, 85, 70 or 55."),
                                     "PERCENT", "100");
    const QCommandLineOption fit("fit", tr("--convert scales the whole picture into the portrait."));
    const QCommandLineOption cover("cover", tr("--convert scales the picture to cover the portrait."));
    const QCommandLineOption face("face", tr("--convert frames the largest face as a portrait (as A does in "
                                             "the import window); without a face, the most detailed part."));
    const QCommandLineOption smooth(
        "smooth", tr("--fit, --cover and --face average areas exactly instead of using the sharp filter."));
    const QCommandLineOption into(
        "into", tr("--convert makes a portrait of each IN and writes it as FOLDER/<name>.jpg."), "FOLDER");
    const QCommandLineOption fullColour(
        "full-colour", tr("--convert writes JPEG with full colour detail (4:4:4 chroma) at any quality."));
    parser.addOptions({help, version, import, convert, quality, fit, cover, face, smooth, into, fullColour});
    parser.addPositionalArgument(
        "FILE", tr("Portrait to open, as Open does; with --convert, IN OUT, or IN... with --into."),
        "[FILE | IN OUT | IN...]");

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        // The usage line names the program as it is typed, not by the path it was run from.
        QString text = parser.helpText();
        text.replace(QStringLiteral("Usage: ") + arguments.constFirst(), QStringLiteral("Usage: pictoria"));
        std::fputs(qPrintable(text), stdout);
        return exitWith(0);
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return exitWith(0);
    }

    CommandLine c;
    const QStringList files = parser.positionalArguments();
    if (!parser.isSet(convert)) {
        if (parser.isSet(quality) || parser.isSet(fit) || parser.isSet(cover) || parser.isSet(face) ||
            parser.isSet(smooth) || parser.isSet(into) || parser.isSet(fullColour))
            return usageError(tr(
                "--quality, --fit, --cover, --face, --smooth, --into and --full-colour go with --convert."));
        if (files.size() > 1 || (files.size() == 1 && parser.isSet(import)))
            return usageError(tr("One portrait at a time."));
        if (!files.isEmpty())
            c.openFile = files.constFirst();
        c.importFile = parser.value(import);
        return c;
    }

    if (parser.isSet(import))
        return usageError(tr("--import does not go with --convert."));
    if (parser.isSet(into) ? files.isEmpty() : files.size() != 2)
        return usageError(tr("--convert takes a picture IN and a portrait OUT, or pictures IN... and --into "
                             "FOLDER."));
    if (int(parser.isSet(fit)) + int(parser.isSet(cover)) + int(parser.isSet(face)) > 1)
        return usageError(tr("--fit, --cover and --face exclude each other."));
    const QString percent = parser.value(quality);
    if (std::none_of(QualityLevels.begin(), QualityLevels.end(),
                     [&](const QualityLevel& level) { return percent == QString::number(level.percent); }))
        return usageError(tr("The quality is 100, 85, 70 or 55, not \"%1\".").arg(percent));
    c.mode = Mode::Convert;
    if (parser.isSet(into)) {
        c.inputs = files;
        c.into = parser.value(into);
    } else {
        c.input = files[0];
        c.output = files[1];
    }
    c.quality = percent.toInt();
    c.scaling = parser.isSet(fit)     ? Scaling::Fit
                : parser.isSet(cover) ? Scaling::Cover
                : parser.isSet(face)  ? Scaling::Face
                                      : Scaling::TopLeft;
    c.smooth = parser.isSet(smooth);
    c.fullColour = parser.isSet(fullColour);
    return c;
}
