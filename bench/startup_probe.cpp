// Start-up from outside the program: starts it, watches the X server for its first
// top-level window to be mapped and then painted (pixels no longer the black root),
// then reads its resident memory one second later and its CPU time over the following
// idle seconds from /proc. The same probe measures the editor and the floor program.
//
//   startup_probe IDLE_SECONDS PROGRAM [ARGS...]
// prints: mapped_ms=... painted_ms=... startup_cpu_ms=... rss_kb=... idle_cpu_ms=... idle_s=...
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

long windowPid(Display* d, Window w)
{
    static const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) ==
            Success &&
        data && n == 1)
        pid = long(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

// Painted once a row across the middle holds anything but the black root background.
bool painted(Display* d, Window w, int width, int height)
{
    for (int y : {height / 2, height / 4, 3 * height / 4}) {
        XImage* img = XGetImage(d, w, 0, y, unsigned(width), 1, AllPlanes, ZPixmap);
        if (!img)
            return false;
        bool any = false;
        for (int x = 0; x < width && !any; ++x)
            any = (XGetPixel(img, x, 0) & 0xFFFFFF) != 0;
        XDestroyImage(img);
        if (any)
            return true;
    }
    return false;
}

long rssKb(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

double cpuMs(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s IDLE_SECONDS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int idleSeconds = std::atoi(argv[1]);
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);

    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    Window target = 0;
    double mappedMs = -1, paintedMs = -1, startupCpuMs = -1;
    int width = 0, height = 0;
    while (msSince(t0) < 20000 && paintedMs < 0) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && !target) {
                XWindowAttributes a;
                if (XGetWindowAttributes(d, e.xmap.window, &a) && a.width >= 100 && a.height >= 100 &&
                    windowPid(d, e.xmap.window) == pid) {
                    target = e.xmap.window;
                    width = a.width;
                    height = a.height;
                    mappedMs = msSince(t0);
                }
            }
        }
        if (target && painted(d, target, width, height)) {
            paintedMs = msSince(t0);
            startupCpuMs = cpuMs(pid);
        } else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "program ended before its first frame\n");
            return 1;
        }
    }
    if (paintedMs < 0) {
        std::fprintf(stderr, "no painted window within 20 s\n");
        kill(pid, SIGKILL);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long rss = rssKb(pid);
    const double cpu0 = cpuMs(pid);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double cpu1 = cpuMs(pid);
    std::printf("mapped_ms=%.1f painted_ms=%.1f startup_cpu_ms=%.0f rss_kb=%ld idle_cpu_ms=%.0f idle_s=%d\n",
                mappedMs, paintedMs, startupCpuMs, rss, cpu1 - cpu0, idleSeconds);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(d);
    return 0;
}
