#pragma once

#include <QVariant>
#include <functional>
#include <vector>

class frmMain;

// The options that outlive a run, kept with QSettings in the desktop's config folder.
// Each is one line of a table: its key, its start value, and how the window shows it.
// They are read once the window holds its start values and written when it closes;
// a stored value the control would not take leaves the start value in place.
// PICTORIA_NO_SETTINGS=1 (set for the test suite) neither reads nor writes them.
class EditorSettings {
public:
    struct Binding {
        std::function<QVariant(frmMain&)> read;
        // False when the value is not one the control takes.
        std::function<bool(frmMain&, const QVariant&)> apply;
    };
    struct Setting {
        const char* key;
        QVariant start;
        Binding binding;
    };

    static bool enabled();
    static const std::vector<Setting>& table();

    // Both do nothing when settings are disabled.
    static void restore(frmMain& window);
    static void save(frmMain& window);
};
