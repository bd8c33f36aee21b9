#include "import/helper/Isolation.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <sched.h>
#include <seccomp.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Isolation {

namespace {

bool ownMountNamespace = false;

bool writeText(const char* path, const char* text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::size_t length = std::strlen(text);
    const bool ok = ::write(fd, text, length) == ssize_t(length);
    ::close(fd);
    return ok;
}

// Inside, the ids are the ones outside: the libraries still read what they load before
// the sandbox, and no other user's id is mapped at all.
void mapOwnIds(uid_t uid, gid_t gid)
{
    char line[64];
    std::snprintf(line, sizeof line, "%u %u 1\n", unsigned(uid), unsigned(uid));
    writeText("/proc/self/uid_map", line);
    writeText("/proc/self/setgroups", "deny");
    std::snprintf(line, sizeof line, "%u %u 1\n", unsigned(gid), unsigned(gid));
    writeText("/proc/self/gid_map", line);
}

// The waiting parent may only wait and end: it has nothing open, and a fault in it could
// only come from the kernel.
void restrictWaiting()
{
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter)
        return;
    for (int call : {SCMP_SYS(wait4), SCMP_SYS(exit), SCMP_SYS(exit_group), SCMP_SYS(rt_sigaction),
                     SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigreturn), SCMP_SYS(getpid), SCMP_SYS(gettid)})
        seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
    // Signals to itself only: the child's fatal signal is raised again here.
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1,
                     SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(::getpid())));
    seccomp_load(filter);
    seccomp_release(filter);
}

[[noreturn]] void waitAndEndAlike(pid_t child)
{
    // The answer pipe, the picture and the shared memory are the child's alone.
    if (::syscall(SYS_close_range, 0u, ~0u, 0u) != 0)
        for (int fd = 0; fd < 1024; ++fd)
            ::close(fd);
    restrictWaiting();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        std::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        ::raise(signal);
        ::_exit(128 + signal);
    }
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
}

} // namespace

bool isolate()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWPID | CLONE_NEWNET) != 0)
        return false;
    mapOwnIds(uid, gid);
    // Mounts made here never propagate to the namespace the editor lives in.
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        // No PID namespace after all; the others hold.
        ownMountNamespace = true;
        return true;
    }
    if (child > 0)
        waitAndEndAlike(child);
    // The editor kills the parent to stop a decode; the child goes with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ownMountNamespace = true;
    return true;
}

bool isolated()
{
    return ownMountNamespace;
}

bool emptyRoot()
{
    if (!ownMountNamespace)
        return false;
    // Any directory serves as the mount point: the mount is this namespace's alone.
    const char* at = nullptr;
    for (const char* dir : {"/tmp", "/proc", "/dev"}) {
        if (::mount("pictoria-empty", dir, "tmpfs", MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC,
                    "size=4k,mode=0555") == 0) {
            at = dir;
            break;
        }
    }
    if (!at)
        return false;
    // The empty file system becomes the root with the old root stacked on it, which is
    // then detached: no path, absolute or relative, reaches it any more.
    return ::chdir(at) == 0 && ::syscall(SYS_pivot_root, ".", ".") == 0 && ::umount2(".", MNT_DETACH) == 0 &&
           ::chdir("/") == 0;
}

} // namespace Isolation
