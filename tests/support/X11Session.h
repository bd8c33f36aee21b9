#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// Drives the real pictoria binary in the X server named by $DISPLAY (the test is
// started under xvfb-run): finds its windows with xdotool, moves the pointer, clicks,
// types, and reads the screen back as an image.
//
// Nothing here sleeps for a fixed time: a test waits for what it expects to see (a
// window, pixels, a file) with a deadline, or for the editor to have handled every
// event sent so far (sync).
class X11Session {
public:
    X11Session();
    ~X11Session();

    // Each start gets a fresh home and XDG folders (settings off), so nothing one run
    // leaves behind reaches the next; extraEnvironment ("NAME=value") overrides them.
    bool start(const QStringList& arguments = {}, const QStringList& extraEnvironment = {});
    // Starts the editor and waits for its main window: its id and client area in root
    // coordinates, focused and painted.
    bool startEditor(QString* windowId, QRect* client, const QStringList& extraEnvironment = {});
    // Toolbar button n (1-based, separators counted) of the main window at client.
    void clickToolbarButton(const QRect& client, int n) const;
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QProcess& process() { return m_process; }
    // Whether the editor has ended or ends within the time; unlike QProcess::waitForFinished
    // it is also true when the end was already seen while events were being processed.
    bool waitForExit(int timeoutMs = 10000);

    // The visible windows of this session's editor (of any program when it is not
    // running) whose titles match the regular expression exactly.
    QStringList windows(const QString& titleRegex) const;
    // The first of those; empty when none appears within the timeout (looked for at least
    // once, so a timeout of 0 asks whether one is there now).
    QString waitForWindow(const QString& titleRegex, int timeoutMs = 15000) const;
    bool waitForWindowGone(const QString& windowId, int timeoutMs = 10000) const;
    // The client area in root coordinates.
    QRect geometry(const QString& windowId) const;
    QString windowTitle(const QString& windowId) const;

    void moveTo(int x, int y) const;
    void click(int x, int y, int button = 1) const;
    void press(int button = 1) const;
    void release(int button = 1) const;
    void drag(QPoint from, QPoint to, int button = 1, int steps = 8) const;
    void key(const QString& keys) const;
    void keyDown(const QString& key) const;
    void keyUp(const QString& key) const;
    void type(const QString& text) const;
    void focus(const QString& windowId) const;
    // Waits for a file dialog titled title, types the whole path into its name box and
    // accepts it; true once the dialog has gone.
    bool answerFileDialog(const QString& title, const QString& path) const;
    // What a window manager sends when its close button is pressed: a WM_PROTOCOLS
    // client message carrying WM_DELETE_WINDOW.
    bool sendDeleteWindow(const QString& windowId) const;

    // The editor's window to sync with when none is named: the main window startEditor
    // found, or one the test names.
    void setWindow(const QString& windowId) { m_window = windowId; }
    // Returns once the editor has handled every event sent to it before the call and
    // painted what they changed: _NET_WM_PING round trips through the editor's event
    // queue (Qt answers them as it reads its events), a few in a row, so that the input
    // before the first has been delivered and the repaints it asked for have been done.
    // False when the editor does not answer within the time (it is blocked or gone).
    bool sync(const QString& windowId = {}, int timeoutMs = 10000) const;

    // The whole screen, read straight from the X server.
    QImage screenshot() const;
    // Screenshots until one satisfies ready, or the time is up; returns the last one
    // either way, so the test's own checks then say what differs.
    QImage waitForScreen(const std::function<bool(const QImage&)>& ready, int timeoutMs = 10000) const;
    // The screen once the editor has handled everything sent so far.
    QImage syncedScreenshot(const QString& windowId = {}) const;
    // Polls the condition (processing this process's events in between) until it holds
    // or the time is up; returns its last value.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

    static QString xdotool(const QStringList& arguments, bool* ok = nullptr);

private:
    QProcess m_process;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_window;
};
