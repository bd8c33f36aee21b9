#include "support/X11Session.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

X11Session::X11Session()
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

X11Session::~X11Session()
{
    stop();
}

bool X11Session::start(const QStringList& arguments, const QStringList& extraEnvironment)
{
    // Xvfb resets itself whenever its last client leaves, refusing connections while it
    // does; one connection held for the whole test keeps the server up between runs.
    static xcb_connection_t* const keepAlive = xcb_connect(nullptr, nullptr);
    Q_UNUSED(keepAlive);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    m_home = std::make_unique<QTemporaryDir>();
    const QString home = m_home->path();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_STATE_HOME", home + "/state");
    env.insert("PICTORIA_NO_SETTINGS", "1");
    env.remove("QT_SCALE_FACTOR");
    for (const QString& entry : extraEnvironment) {
        const qsizetype eq = entry.indexOf('=');
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    m_process.setProcessEnvironment(env);
    m_process.start(QStringLiteral(PICTORIA_BINARY), arguments);
    return m_process.waitForStarted(10000);
}

bool X11Session::startEditor(QString* windowId, QRect* client, const QStringList& extraEnvironment)
{
    if (!start({}, extraEnvironment))
        return false;
    *windowId = waitForWindow(QStringLiteral("Pictoria"));
    if (windowId->isEmpty())
        return false;
    *client = geometry(*windowId);
    focus(*windowId);
    settle(400);
    return true;
}

void X11Session::clickToolbarButton(const QRect& client, int n) const
{
    // 23 pixels a button, 8 for the separators after buttons 4 and 11.
    int x = 0;
    for (int i = 1; i < n; ++i)
        x += (i == 5 || i == 12) ? 8 : 23;
    click(client.x() + x + 11, client.y() + 11);
    settle(200);
}

void X11Session::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool X11Session::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

QString X11Session::xdotool(const QStringList& arguments, bool* ok)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    const bool finished = p.waitForFinished(20000);
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString X11Session::waitForWindow(const QString& titleRegex, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        bool ok = false;
        const QString out = xdotool({"search", "--onlyvisible", "--name", '^' + titleRegex + '$'}, &ok);
        if (ok && !out.isEmpty())
            return out.split('\n').constFirst().trimmed();
        QThread::msleep(100);
    }
    return {};
}

bool X11Session::waitForWindowGone(const QString& windowId, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        bool ok = false;
        const QString out = xdotool({"search", "--onlyvisible", "--name", "."}, &ok);
        if (!out.split('\n').contains(windowId))
            return true;
        QThread::msleep(100);
    }
    return false;
}

QRect X11Session::geometry(const QString& windowId) const
{
    const QString out = xdotool({"getwindowgeometry", "--shell", windowId});
    int x = 0, y = 0, w = 0, h = 0;
    for (const QString& line : out.split('\n')) {
        const QStringList kv = line.split('=');
        if (kv.size() != 2)
            continue;
        if (kv[0] == "X")
            x = kv[1].toInt();
        if (kv[0] == "Y")
            y = kv[1].toInt();
        if (kv[0] == "WIDTH")
            w = kv[1].toInt();
        if (kv[0] == "HEIGHT")
            h = kv[1].toInt();
    }
    return {x, y, w, h};
}

QString X11Session::windowTitle(const QString& windowId) const
{
    return xdotool({"getwindowname", windowId});
}

void X11Session::moveTo(int x, int y) const
{
    // "mousemove --sync" waits for the pointer to arrive, which never happens when it is
    // already there (xdotool gives up after about 15 s).
    const QString at = xdotool({"getmouselocation", "--shell"});
    if (at.contains(QStringLiteral("X=%1\n").arg(x)) && at.contains(QStringLiteral("Y=%1\n").arg(y)))
        return;
    xdotool({"mousemove", "--sync", QString::number(x), QString::number(y)});
}

void X11Session::click(int x, int y, int button) const
{
    moveTo(x, y);
    xdotool({"click", QString::number(button)});
}

void X11Session::press(int button) const
{
    xdotool({"mousedown", QString::number(button)});
}

void X11Session::release(int button) const
{
    xdotool({"mouseup", QString::number(button)});
}

void X11Session::drag(QPoint from, QPoint to, int button, int steps) const
{
    moveTo(from.x(), from.y());
    press(button);
    settle(60);
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        moveTo(p.x(), p.y());
        settle(30);
    }
    release(button);
}

void X11Session::key(const QString& keys) const
{
    xdotool({"key", "--clearmodifiers", keys});
}

void X11Session::keyDown(const QString& key) const
{
    xdotool({"keydown", key});
}

void X11Session::keyUp(const QString& key) const
{
    xdotool({"keyup", key});
}

void X11Session::type(const QString& text) const
{
    xdotool({"type", "--delay", "20", text});
}

void X11Session::focus(const QString& windowId) const
{
    xdotool({"windowactivate", "--sync", windowId});
    xdotool({"windowfocus", "--sync", windowId});
}

bool X11Session::sendDeleteWindow(const QString& windowId) const
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(windowId.toULong());
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    const bool sent = xcb_flush(connection) > 0;
    xcb_disconnect(connection);
    return sent;
}

QImage X11Session::screenshot() const
{
    QProcess p;
    p.start(QStringLiteral("import"), {"-window", "root", "png:-"});
    p.waitForFinished(20000);
    return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

void X11Session::settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}
