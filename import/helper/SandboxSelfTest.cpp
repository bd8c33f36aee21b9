#include "import/helper/SandboxSelfTest.h"

#include "import/helper/Sandbox.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SandboxSelfTest {

namespace {

int outcome(bool succeeded)
{
    if (succeeded)
        return Allowed;
    return errno == EPERM || errno == EACCES ? Refused : OtherError;
}

int attempt(const char* name, const char* path)
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
        return attempt(name + 9, path);
    }
    if (!Sandbox::enter(-1).entered)
        return NotEntered;
    return attempt(name, path);
}

} // namespace SandboxSelfTest
