#include "support/X11Session.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <xcb/xcb.h>

namespace {

// How often a wait looks again: short next to what it waits for.
constexpr int PollMs = 15;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_screen_t* firstScreen(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
}

// One connection for the whole test: Xvfb resets itself whenever its last client leaves,
// refusing connections while it does, so holding it keeps the server up between runs. It
// also reads the screen, and it hears the editor's answers to pings, which come as
// client messages sent to the root window for whoever listens to its (sub)structure.
xcb_connection_t* display()
{
    static xcb_connection_t* const connection = [] {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        if (!xcb_connection_has_error(c)) {
            const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, firstScreen(c)->root, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(c);
        }
        return c;
    }();
    return connection;
}

// Waits for the answer to the ping carrying token; the events between are of no interest.
bool waitForPong(xcb_connection_t* c, xcb_atom_t protocols, xcb_atom_t ping, uint32_t token,
                 const QDeadlineTimer& deadline)
{
    while (true) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
            const Reply<xcb_generic_event_t> event(raw);
            if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
                continue;
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(raw);
            if (message->type == protocols && message->data.data32[0] == ping &&
                message->data.data32[1] == token)
                return true;
        }
        if (xcb_connection_has_error(c) || deadline.hasExpired())
            return false;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, int(std::min<qint64>(deadline.remainingTime(), 100)));
    }
}

} // namespace

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
    display();
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
    m_window = *windowId;
    focus(*windowId);
    return sync();
}

void X11Session::clickToolbarButton(const QRect& client, int n) const
{
    // 23 pixels a button, 8 for the separators after buttons 4 and 11.
    int x = 0;
    for (int i = 1; i < n; ++i)
        x += (i == 5 || i == 12) ? 8 : 23;
    click(client.x() + x + 11, client.y() + 11);
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

QStringList X11Session::windows(const QString& titleRegex) const
{
    QStringList arguments{"search", "--onlyvisible"};
    if (isRunning())
        arguments << "--all"
                  << "--pid" << QString::number(m_process.processId());
    arguments << "--name" << '^' + titleRegex + '$';
    bool ok = false;
    const QString out = xdotool(arguments, &ok);
    return ok ? out.split('\n', Qt::SkipEmptyParts) : QStringList();
}

QString X11Session::waitForWindow(const QString& titleRegex, int timeoutMs) const
{
    QStringList found;
    waitUntil([&] { return !(found = windows(titleRegex)).isEmpty(); }, timeoutMs);
    return found.isEmpty() ? QString() : found.constFirst().trimmed();
}

bool X11Session::waitForWindowGone(const QString& windowId, int timeoutMs) const
{
    return waitUntil(
        [&] {
            return !xdotool({"search", "--onlyvisible", "--name", "."}).split('\n').contains(windowId);
        },
        timeoutMs);
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
    // The X server keeps the events in order; the editor sees the press, every move and
    // the release as they were sent, however late it reads them.
    moveTo(from.x(), from.y());
    press(button);
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        moveTo(p.x(), p.y());
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

bool X11Session::answerFileDialog(const QString& title, const QString& path) const
{
    const QString dialog = waitForWindow(title);
    if (dialog.isEmpty())
        return false;
    focus(dialog);
    sync(dialog);
    key("ctrl+a");
    type(path);
    sync(dialog); // the name box and its completer have taken every letter
    key("Return");
    return waitForWindowGone(dialog);
}

bool X11Session::sendDeleteWindow(const QString& windowId) const
{
    xcb_connection_t* connection = display();
    if (xcb_connection_has_error(connection))
        return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(windowId.toULong());
    event.type = internAtom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = internAtom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    return xcb_flush(connection) > 0;
}

bool X11Session::sync(const QString& windowId, int timeoutMs) const
{
    const QString target = windowId.isEmpty() ? m_window : windowId;
    xcb_connection_t* c = display();
    if (target.isEmpty() || xcb_connection_has_error(c))
        return false;
    const xcb_atom_t protocols = internAtom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = internAtom(c, "_NET_WM_PING");
    const xcb_window_t window = xcb_window_t(target.toULong());
    static uint32_t token = 1;
    const QDeadlineTimer deadline(timeoutMs);
    // The first answer comes when Qt has read everything sent before; the input among it
    // is delivered in the same pass, so the second comes after that; the repaints the
    // input asked for are posted and done before the event loop reads on, so the third
    // comes after those.
    for (int round = 0; round < 3; ++round) {
        bool answered = false;
        while (!answered && !deadline.hasExpired()) {
            ++token;
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = window;
            event.type = protocols;
            event.data.data32[0] = ping;
            event.data.data32[1] = token; // the timestamp field, returned as it was
            event.data.data32[2] = window;
            xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
            xcb_flush(c);
            // A ping that goes unanswered for a while is sent again.
            QDeadlineTimer attempt(std::min<qint64>(deadline.remainingTime(), 2000));
            answered = waitForPong(c, protocols, ping, token, attempt);
        }
        if (!answered)
            return false;
    }
    return true;
}

QImage X11Session::screenshot() const
{
    xcb_connection_t* c = display();
    if (xcb_connection_has_error(c))
        return {};
    const xcb_screen_t* screen = firstScreen(c);
    const Reply<xcb_get_image_reply_t> reply(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                                          screen->width_in_pixels, screen->height_in_pixels, ~0u),
                            nullptr));
    const int w = screen->width_in_pixels, h = screen->height_in_pixels;
    // Xvfb's 24-bit screens keep a pixel in 32 bits, blue first: QImage's RGB32.
    if (!reply || reply->depth != 24 || xcb_get_image_data_length(reply.get()) != w * h * 4)
        return {};
    return QImage(xcb_get_image_data(reply.get()), w, h, w * 4, QImage::Format_RGB32).copy();
}

QImage X11Session::waitForScreen(const std::function<bool(const QImage&)>& ready, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QImage shot = screenshot();
    while (!ready(shot) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, PollMs);
        QThread::msleep(PollMs);
        shot = screenshot();
    }
    return shot;
}

QImage X11Session::syncedScreenshot(const QString& windowId) const
{
    sync(windowId);
    return screenshot();
}

bool X11Session::waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    bool holds = condition();
    while (!holds && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, PollMs);
        QThread::msleep(PollMs);
        holds = condition();
    }
    return holds;
}
