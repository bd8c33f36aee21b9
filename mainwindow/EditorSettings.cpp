#include "mainwindow/EditorSettings.h"

#include "canvas/PortraitCanvas.h"
#include "document/EditingState.h"
#include "files/PortraitFiles.h"
#include "import/ImportCommand.h"
#include "mainwindow/ColourCommands.h"
#include "mainwindow/ColourWell.h"
#include "mainwindow/ColourWellsAndOptions.h"
#include "mainwindow/ControlPanel.h"
#include "mainwindow/MainToolBar.h"
#include "mainwindow/RecentFiles.h"
#include "mainwindow/frmMain.h"
#include "platform/PlainFile.h"
#include "tools/ToolId.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

using Binding = EditorSettings::Binding;

// A colour well and the value it shows, stored as "#rrggbb".
Binding well(ColourWell* ControlPanel::*control, Colour EditingState::*value)
{
    return {[=](frmMain& w) { return QVariant(toQColor(w.state().*value).name()); },
            [=](frmMain& w, const QVariant& v) {
                const QColor c(v.toString());
                if (!v.toString().startsWith(u'#') || !c.isValid())
                    return false;
                w.state().*value = fromQColor(c);
                (w.panel().*control)->setFill(fromQColor(c));
                return true;
            }};
}

// A validated box: the stored text must be one the box keeps as it is.
Binding textBox(QLineEdit* ControlPanel::*control)
{
    return {[=](frmMain& w) { return QVariant((w.panel().*control)->text()); },
            [=](frmMain& w, const QVariant& v) {
                QLineEdit* box = w.panel().*control;
                box->setText(v.toString());
                return box->text() == v.toString();
            }};
}

// "true" or "false", as QSettings writes a bool.
std::optional<bool> asBool(const QVariant& v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.toString() == QLatin1String("true"))
        return true;
    if (v.toString() == QLatin1String("false"))
        return false;
    return std::nullopt;
}

// A check box of the panel, for options that are a tick; setting it runs its click handler.
Binding checkBox(QCheckBox* ControlPanel::*control, void (ColourWellsAndOptions::*click)())
{
    return {[=](frmMain& w) { return QVariant((w.panel().*control)->isChecked()); },
            [=](frmMain& w, const QVariant& v) {
                const std::optional<bool> ticked = asBool(v);
                if (ticked) {
                    (w.panel().*control)->setChecked(*ticked);
                    (w.options().*click)();
                }
                return ticked.has_value();
            }};
}

// Option buttons of one group, each stored by its name; selecting one runs its click handler.
struct Option {
    const char* name;
    QRadioButton* ControlPanel::*control;
    void (ColourWellsAndOptions::*click)();
};

Binding options(std::vector<Option> choices)
{
    return {[=](frmMain& w) {
                for (const Option& o : choices)
                    if ((w.panel().*o.control)->isChecked())
                        return QVariant(QString::fromLatin1(o.name));
                return QVariant();
            },
            [=](frmMain& w, const QVariant& v) {
                for (const Option& o : choices) {
                    if (v.toString() != QLatin1String(o.name))
                        continue;
                    (w.panel().*o.control)->setChecked(true);
                    if (o.click)
                        (w.options().*o.click)();
                    return true;
                }
                return false;
            }};
}

Binding gridButton()
{
    return {[](frmMain& w) { return QVariant(w.tlbMain()->gridPressed()); },
            [](frmMain& w, const QVariant& v) {
                const std::optional<bool> pressed = asBool(v);
                if (!pressed)
                    return false;
                w.tlbMain()->buttonByTag(QStringLiteral("Grid"))->setChecked(*pressed);
                w.tlbMain_ButtonClick(QStringLiteral("Grid"));
                return true;
            }};
}

// The tool is pressed as its toolbar button would be.
Binding toolButton()
{
    return {[](frmMain& w) { return QVariant(w.state().CurrentTool); },
            [](frmMain& w, const QVariant& v) {
                const QString tag = v.toString();
                if (!Tools::fromTag(tag))
                    return false;
                w.tlbMain()->buttonByTag(tag)->setChecked(true);
                w.tlbMain_ButtonClick(tag);
                return true;
            }};
}

// The view's zoom, one of the canvas's steps.
Binding viewZoom()
{
    return {[](frmMain& w) { return QVariant(QString::number(w.canvas().zoom())); },
            [](frmMain& w, const QVariant& v) {
                bool number = false;
                const int zoom = v.toString().toInt(&number);
                return number && w.setViewZoom(zoom);
            }};
}

Binding lastFolder()
{
    return {[](frmMain& w) { return QVariant(w.files().lastFolder()); },
            [](frmMain& w, const QVariant& v) {
                w.files().setLastFolder(v.toString());
                return true;
            }};
}

// The recent portraits, newest first.
Binding recentFiles()
{
    return {[](frmMain& w) { return QVariant(w.recentFiles().files()); },
            [](frmMain& w, const QVariant& v) {
                w.recentFiles().setFiles(v.toStringList());
                return true;
            }};
}

// How many colours Reduce colours offers, and its dithering.
Binding reduceColours()
{
    return {[](frmMain& w) { return QVariant(QString::number(w.colourCommands().reduceColours())); },
            [](frmMain& w, const QVariant& v) {
                bool number = false;
                const int colours = v.toString().toInt(&number);
                if (!number || colours < 1 || colours > ColourCommands::MostColours)
                    return false;
                w.colourCommands().setReduceColours(colours);
                return true;
            }};
}

Binding dithering()
{
    using D = ColourReduction::Dithering;
    static const std::pair<const char*, D> names[] = {
        {"none", D::None}, {"ordered", D::Ordered}, {"diffusion", D::ErrorDiffusion}};
    return {[](frmMain& w) {
                for (const auto& [name, d] : names)
                    if (w.colourCommands().dithering() == d)
                        return QVariant(QString::fromLatin1(name));
                return QVariant();
            },
            [](frmMain& w, const QVariant& v) {
                for (const auto& [name, d] : names)
                    if (v.toString() == QLatin1String(name)) {
                        w.colourCommands().setDithering(d);
                        return true;
                    }
                return false;
            }};
}

Binding importFolder()
{
    return {[](frmMain& w) { return QVariant(w.importCommand().lastFolder()); },
            [](frmMain& w, const QVariant& v) {
                w.importCommand().setLastFolder(v.toString());
                return true;
            }};
}

// The one file the options live in. QSettings is given it by name, so that it reads no
// other (the desktop's organisation-wide and system files), and only after it passed
// settingsFileUsable().
QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Pictoria/Pictoria.ini");
}

// A settings file is far smaller than this; a larger one is not this program's.
constexpr qint64 MaxSettingsBytes = 1 << 20;

// Whether the settings file may be read and written: missing, or a plain file of a sane
// size. Anything else (a pipe would hang the start, a huge file take it over) is left
// alone, and said so once on stderr.
bool settingsFileUsable()
{
    // QSettings also locks the file with a file beside it while it writes.
    for (const QString& path : {settingsPath(), settingsPath() + QStringLiteral(".lock")}) {
        const PlainFile::Kind kind = PlainFile::inspect(path, MaxSettingsBytes);
        if (kind == PlainFile::Kind::Missing || kind == PlainFile::Kind::Plain)
            continue;
        static bool told = false;
        if (!told) {
            told = true;
            std::fprintf(stderr, "pictoria: %s\n", qPrintable(PlainFile::refusal(path, kind)));
        }
        return false;
    }
    return true;
}

// The import window's size as the user left it, "WxH"; none until it was resized.
Binding importWindowSize()
{
    return {[](frmMain& w) {
                const QSize size = w.importCommand().windowSize();
                return QVariant(size.isValid() ? QStringLiteral("%1x%2").arg(size.width()).arg(size.height())
                                               : QString());
            },
            [](frmMain& w, const QVariant& v) {
                const QStringList parts = v.toString().split(u'x');
                bool wide = false, high = false;
                const QSize size =
                    parts.size() == 2 ? QSize(parts[0].toInt(&wide), parts[1].toInt(&high)) : QSize();
                if (v.toString().isEmpty()) {
                    w.importCommand().setWindowSize({});
                    return true;
                }
                if (!wide || !high || size.width() < 64 || size.height() < 64 || size.width() > 16384 ||
                    size.height() > 16384)
                    return false;
                w.importCommand().setWindowSize(size);
                return true;
            }};
}

QSettings openSettings()
{
    return QSettings(settingsPath(), QSettings::IniFormat);
}

} // namespace

bool EditorSettings::enabled()
{
    const QByteArray off = qgetenv("PICTORIA_NO_SETTINGS");
    return off.isEmpty() || off == "0";
}

const std::vector<EditorSettings::Setting>& EditorSettings::table()
{
    // Restored in this order, each as its control would set it.
    static const std::vector<Setting> settings{
        {"colours/foreground", "#ffffff", well(&ControlPanel::picFG, &EditingState::FGColor)},
        {"colours/background", "#000000", well(&ControlPanel::picBG, &EditingState::BGColor)},
        {"colours/replace1", "#ffffff", well(&ControlPanel::picR1, &EditingState::R1Color)},
        {"colours/replace2", "#000000", well(&ControlPanel::picR2, &EditingState::R2Color)},
        {"output/quality", "100",
         options({{"100", &ControlPanel::optPerfect, &ColourWellsAndOptions::optPerfect_Click},
                  {"85", &ControlPanel::optHigh, &ColourWellsAndOptions::optHigh_Click},
                  {"70", &ControlPanel::optMed, &ColourWellsAndOptions::optMed_Click},
                  {"55", &ControlPanel::optLow, &ColourWellsAndOptions::optLow_Click}})},
        {"popup/show", "always",
         options({{"always", &ControlPanel::optRGBA, nullptr},
                  {"ctrl", &ControlPanel::optRGBS, nullptr},
                  {"never", &ControlPanel::optRGBN, nullptr}})},
        {"popup/transparency", "80", textBox(&ControlPanel::txtRLevel)},
        {"gamma/step", "15", textBox(&ControlPanel::txtGamma)},
        {"output/fullColourDetail", false,
         checkBox(&ControlPanel::chkFullColour, &ColourWellsAndOptions::chkFullColour_Click)},
        {"portrait/tolerance", "0", textBox(&ControlPanel::txtTolerance)},
        {"portrait/reduceColours", QString::number(ColourCommands::DefaultColours), reduceColours()},
        {"portrait/dithering", "none", dithering()},
        {"view/grid", true, gridButton()},
        {"view/zoom", QString::number(PortraitCanvas::StartZoom), viewZoom()},
        {"tools/current", Tools::tagOf(ToolId::Brush), toolButton()},
        {"files/folder", "", lastFolder()},
        {"files/recent", QStringList(), recentFiles()},
        {"import/folder", "", importFolder()},
        {"import/windowSize", "", importWindowSize()},
        {"import/scaling", "sharp",
         options(
             {{"sharp", &ControlPanel::optSharp, nullptr}, {"smooth", &ControlPanel::optSmooth, nullptr}})},
    };
    return settings;
}

void EditorSettings::restore(frmMain& window)
{
    if (!enabled() || !settingsFileUsable())
        return; // the start values hold
    QSettings store = openSettings();
    if (store.status() != QSettings::NoError)
        return;
    for (const Setting& s : table()) {
        if (!store.contains(QLatin1String(s.key)))
            continue;
        if (!s.binding.apply(window, store.value(QLatin1String(s.key))))
            s.binding.apply(window, s.start);
    }
}

void EditorSettings::save(frmMain& window)
{
    if (!enabled() || !settingsFileUsable())
        return;
    QSettings store = openSettings();
    for (const Setting& s : table())
        store.setValue(QLatin1String(s.key), s.binding.read(window));
    store.sync();
}
