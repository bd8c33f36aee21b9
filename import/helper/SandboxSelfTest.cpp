#include "import/helper/SandboxSelfTest.h"

#include "import/HelperProtocol.h"
#include "import/helper/Isolation.h"
#include "import/helper/Sandbox.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

extern char** environ;

namespace SandboxSelfTest {

namespace {

int outcome(bool succeeded)
{
    if (succeeded)
        return Allowed;
    if (errno == ENOENT)
        return Missing;
    return errno == EPERM || errno == EACCES ? Refused : OtherError;
}

int threadBody(void*)
{
    ::syscall(SYS_exit, 0);
    return 0;
}

// Every capability set empty, no new privileges and the filter on, as /proc tells it
// through a descriptor opened before the sandbox.
bool nothingLeft(int status)
{
    char text[4096] = {};
    if (status < 0 || ::pread(status, text, sizeof text - 1, 0) <= 0)
        return false;
    for (const char* field : {"CapInh:", "CapPrm:", "CapEff:", "CapBnd:", "CapAmb:"}) {
        const char* at = std::strstr(text, field);
        if (!at || std::strtoull(at + std::strlen(field), nullptr, 16) != 0)
            return false;
    }
    const char* privileges = std::strstr(text, "NoNewPrivs:");
    const char* filtered = std::strstr(text, "Seccomp:");
    return privileges && std::atoi(privileges + 11) == 1 && filtered && std::atoi(filtered + 8) == 2;
}

bool onlyFixedEnvironment()
{
    for (char** variable = environ; variable && *variable; ++variable) {
        bool fixed = false;
        for (const char* allowed : HelperProtocol::Environment)
            fixed = fixed || std::strcmp(*variable, allowed) == 0;
        if (!fixed)
            return false;
    }
    return true;
}

int attempt(const char* name, const char* path, int status)
{
    if (std::strcmp(name, "nothing") == 0)
        return Entered;
    if (std::strcmp(name, "open") == 0)
        return outcome(::open("/etc/passwd", O_RDONLY | O_CLOEXEC) >= 0);
    if (std::strcmp(name, "socket") == 0)
        return outcome(::socket(AF_INET, SOCK_STREAM, 0) >= 0);
    if (std::strcmp(name, "execve") == 0) {
        char program[] = "/bin/true";
        char* const argv[] = {program, nullptr};
        char* const envp[] = {nullptr};
        return outcome(::execve(program, argv, envp) == 0);
    }
    if (std::strcmp(name, "fork") == 0) {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        return outcome(child > 0);
    }
    if (std::strcmp(name, "ptrace") == 0)
        return outcome(::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0);
    if (std::strcmp(name, "connect") == 0) {
        // On standard input: a kernel that let the call through would answer ENOTSOCK.
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(80);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return outcome(::connect(STDIN_FILENO, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                       0);
    }
    if (std::strcmp(name, "write") == 0 && path) {
        const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        return outcome(fd >= 0 && ::write(fd, "x", 1) == 1);
    }
    if (std::strcmp(name, "exec-memory") == 0) {
        void* p = ::mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return outcome(p != MAP_FAILED);
    }
    if (std::strcmp(name, "inherited") == 0 && path) {
        char byte = 0;
        if (::read(std::atoi(path), &byte, 1) >= 0)
            return Allowed;
        return errno == EBADF ? Closed : OtherError;
    }
    if (std::strcmp(name, "stat") == 0) {
        struct stat info {};
        return outcome(::fstatat(AT_FDCWD, "/etc/passwd", &info, AT_EMPTY_PATH) == 0);
    }
    if (std::strcmp(name, "fstat") == 0) {
        struct stat info {};
        return ::fstat(STDIN_FILENO, &info) == 0 ? Entered : OtherError;
    }
    if (std::strcmp(name, "clone-namespace") == 0) {
        static char stack[64 * 1024];
        const int flags =
            CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND | CLONE_THREAD | CLONE_SYSVSEM | CLONE_NEWNET;
        return outcome(::clone(threadBody, stack + sizeof stack, flags, nullptr) > 0);
    }
    if (std::strcmp(name, "capabilities") == 0)
        return nothingLeft(status) ? Entered : Allowed;
    if (std::strcmp(name, "environment") == 0)
        return onlyFixedEnvironment() ? Entered : Allowed;
    if (std::strcmp(name, "strerror") == 0)
        return std::strerror(EACCES)[0] != '\0' ? Entered : OtherError;
    return UnknownAttempt;
}

} // namespace

int run(const char* name, const char* path)
{
    if (std::strncmp(name, "landlock-", 9) == 0) {
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
            return NotEntered;
        const int abi = Sandbox::restrictFileSystem();
        if (abi <= 0)
            return abi == 0 ? NoLandlock : NotEntered;
        return attempt(name + 9, path, -1);
    }
    const bool plain = std::strncmp(name, "plain-", 6) == 0;
    if (plain)
        name += 6;
    else
        Isolation::isolate();
    if (std::strcmp(name, "root-open") == 0) {
        if (!Isolation::isolated())
            return NoNamespaces;
        if (!Isolation::emptyRoot())
            return NotEntered;
        // The first process of its own PID namespace, with nothing at any path.
        return ::getpid() == 1 ? attempt("open", path, -1) : NotEntered;
    }
    // What the full helper's Qt does at start: the locale the environment names.
    if (std::strcmp(name, "strerror") == 0)
        std::setlocale(LC_ALL, "");
    const int status =
        std::strcmp(name, "capabilities") == 0 ? ::open("/proc/self/status", O_RDONLY | O_CLOEXEC) : -1;
    if (!Sandbox::enter(status).entered)
        return NotEntered;
    return attempt(name, path, status);
}

} // namespace SandboxSelfTest
