#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMenu;
class QToolButton;
class StatusBar;

// The portraits last opened or saved, newest first, as a drop-down of the toolbar's Open
// button (hold the button, or right-click it). Choosing one opens it as Open does; one
// that is no longer there is said so in the status bar and taken off the list.
class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int MostFiles = 10;

    RecentFiles(QToolButton* openButton, StatusBar& status, std::function<void(const QString&)> open,
                QObject* parent = nullptr);

    // The file goes to the top of the list (once; the oldest beyond ten drops off).
    void add(const QString& file);
    const QStringList& files() const { return m_files; }
    // The list as stored between runs; empty names and repeats are left out.
    void setFiles(const QStringList& files);
    QMenu* menu() const { return m_menu; }
    // Opens the list's entry, as choosing it in the menu does.
    void choose(int index);

private:
    void rebuildMenu();

    StatusBar& m_status;
    std::function<void(const QString&)> m_open;
    QMenu* m_menu;
    QStringList m_files;
};
