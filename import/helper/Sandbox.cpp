#include "import/helper/Sandbox.h"

#include "import/helper/Isolation.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace Sandbox {

namespace {

// The rule-set attributes of every Landlock version; the kernel is given as much of
// the structure as its version knows.
struct RulesetAttributes {
    std::uint64_t handledAccessFs = 0;
    std::uint64_t handledAccessNet = 0;
    std::uint64_t scoped = 0;
};

// File-system rights by the version that introduced them: execute up to make-symlink
// (1), refer (2), truncate (3), ioctl on devices (5).
std::uint64_t fileSystemRights(int abi)
{
    std::uint64_t rights = (1ull << 13) - 1;
    if (abi >= 2)
        rights |= 1ull << 13;
    if (abi >= 3)
        rights |= 1ull << 14;
    if (abi >= 5)
        rights |= 1ull << 15;
    return rights;
}

// A rule set that handles every right the kernel knows and grants none of them: no
// path can be opened, made or removed, no TCP port bound or connected (4), no abstract
// socket reached and no signal sent outside the process (6). 0 when the kernel has no
// Landlock, -1 when it has it and refused.
int applyLandlock()
{
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1)
        return 0;
    RulesetAttributes attributes;
    attributes.handledAccessFs = fileSystemRights(int(abi));
    std::size_t size = sizeof(std::uint64_t);
    if (abi >= 4) {
        attributes.handledAccessNet = 3; // bind and connect over TCP
        size += sizeof(std::uint64_t);
    }
    if (abi >= 6) {
        attributes.scoped = 3; // abstract Unix sockets and signals
        size += sizeof(std::uint64_t);
    }
    const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attributes, size, 0);
    if (ruleset < 0)
        return -1;
    const long applied = ::syscall(SYS_landlock_restrict_self, int(ruleset), 0);
    ::close(int(ruleset));
    return applied == 0 ? int(abi) : -1;
}

// Descriptors from first to last; one by one up to the descriptor limit on a kernel
// without close_range (before 5.9).
void closeRange(unsigned first, unsigned last)
{
    if (::syscall(SYS_close_range, first, last, 0) == 0)
        return;
    const long limit = ::sysconf(_SC_OPEN_MAX);
    const unsigned end = limit > 0 ? std::min<unsigned>(last, unsigned(limit - 1)) : last;
    for (unsigned fd = first; fd <= end && fd != ~0u; ++fd)
        ::close(int(fd));
}

// Every descriptor above standard error but the kept ones (-1: none).
void closeOthers(int keep, int keepToo)
{
    unsigned first = STDERR_FILENO + 1;
    int kept[] = {std::min(keep, keepToo), std::max(keep, keepToo)};
    for (int k : kept) {
        if (k < int(first))
            continue;
        if (unsigned(k) > first)
            closeRange(first, unsigned(k) - 1);
        first = unsigned(k) + 1;
    }
    closeRange(first, ~0u);
}

struct Filter {
    scmp_filter_ctx context = seccomp_init(SCMP_ACT_KILL_PROCESS);
    ~Filter() { seccomp_release(context); }
    bool allow(int call) { return seccomp_rule_add(context, SCMP_ACT_ALLOW, call, 0) == 0; }
};

// The flags glibc's pthread_create gives clone, and nothing else: a thread of this process
// shares everything with it and never enters a namespace of its own.
constexpr scmp_datum_t ThreadFlags = CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND | CLONE_THREAD |
                                     CLONE_SYSVSEM | CLONE_SETTLS | CLONE_PARENT_SETTID |
                                     CLONE_CHILD_CLEARTID;

#if defined(__x86_64__) || defined(__aarch64__)
constexpr bool StatTrapped = true;
// si_code of a SIGSYS the filter raised (SYS_SECCOMP in the kernel's siginfo.h).
constexpr int TrappedByFilter = 1;

// newfstatat takes a path, which a filter cannot read. glibc's fstat is newfstatat on
// the descriptor with an empty path and AT_EMPTY_PATH, so the call is trapped and finished
// here: that form becomes a plain fstat of the descriptor, and every other form, which
// would look a path up, fails with EACCES.
void finishStat(int, siginfo_t* info, void* context)
{
    if (info->si_code != TrappedByFilter || info->si_syscall != SYS_newfstatat)
        return;
    const int saved = errno;
    auto* uc = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    greg_t* r = uc->uc_mcontext.gregs;
    const long fd = r[REG_RDI], flags = r[REG_R10];
    const char* path = reinterpret_cast<const char*>(r[REG_RSI]);
    void* buffer = reinterpret_cast<void*>(r[REG_RDX]);
#else
    auto* r = uc->uc_mcontext.regs;
    const long fd = long(r[0]), flags = long(r[3]);
    const char* path = reinterpret_cast<const char*>(r[1]);
    void* buffer = reinterpret_cast<void*>(r[2]);
#endif
    long result = -EACCES;
    if (path && path[0] == '\0' && (flags & AT_EMPTY_PATH)) {
        result = ::syscall(SYS_fstat, int(fd), buffer);
        if (result < 0)
            result = -errno;
    }
#if defined(__x86_64__)
    r[REG_RAX] = result;
#else
    r[0] = static_cast<decltype(r[0])>(result);
#endif
    errno = saved;
}
#else
constexpr bool StatTrapped = false;
#endif

bool installStatTrap()
{
#if defined(__x86_64__) || defined(__aarch64__)
    struct sigaction action {};
    action.sa_sigaction = finishStat;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGSYS, &action, nullptr) == 0;
#else
    return true;
#endif
}

// The calls decoding makes once everything is loaded, found by running every import
// test under the filter. Memory may be mapped and protected but never made executable;
// a file may be stat'ed through its descriptor only (see finishStat), never by path.
bool installFilter()
{
    Filter filter;
    if (!filter.context || !installStatTrap())
        return false;
    bool ok = true;
    for (int call : {SCMP_SYS(read),         SCMP_SYS(pread64),
                     SCMP_SYS(readv),        SCMP_SYS(write),
                     SCMP_SYS(writev),       SCMP_SYS(lseek),
                     SCMP_SYS(fstat),        SCMP_SYS(close),
                     SCMP_SYS(munmap),       SCMP_SYS(mremap),
                     SCMP_SYS(brk),          SCMP_SYS(madvise),
                     SCMP_SYS(futex),        SCMP_SYS(clock_gettime),
                     SCMP_SYS(gettimeofday), SCMP_SYS(getpid),
                     SCMP_SYS(gettid),       SCMP_SYS(sysinfo),
                     SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask),
                     SCMP_SYS(rt_sigaction), SCMP_SYS(sched_getaffinity),
                     SCMP_SYS(sched_yield),  SCMP_SYS(set_robust_list),
                     SCMP_SYS(rseq),         SCMP_SYS(exit),
                     SCMP_SYS(exit_group)})
        ok = ok && filter.allow(call);
    const scmp_datum_t exec = PROT_EXEC;
    ok = ok &&
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(mmap), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, exec, 0)) == 0 &&
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(mprotect), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, exec, 0)) == 0 &&
         seccomp_rule_add(filter.context, StatTrapped ? SCMP_ACT_TRAP : SCMP_ACT_ERRNO(EACCES),
                          SCMP_SYS(newfstatat), 0) == 0 &&
         // Threads of this process (Qt converts large pictures on several), never a new
         // process: clone only with a thread's flags, and clone3, whose flags a filter
         // cannot see, answers that it does not exist, so the C library falls back to clone.
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                          SCMP_A0(SCMP_CMP_EQ, ThreadFlags)) == 0 &&
         seccomp_rule_add(filter.context, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0 &&
         // A new thread names itself and makes the wake-up descriptor of its event loop.
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1,
                          SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(PR_SET_NAME))) == 0 &&
         filter.allow(SCMP_SYS(eventfd2)) &&
         // Every thread of the process, should a library have started one already.
         seccomp_attr_set(filter.context, SCMP_FLTATR_CTL_TSYNC, 1) == 0;
    return ok && seccomp_load(filter.context) == 0;
}

// No capability is left in any set, and none can come back: the bounding set is emptied
// where the process may (it may in its own user namespace, or as root), the ambient set
// is cleared, and the permitted, effective and inheritable sets are emptied. Without the
// right to change the bounding set the process has no capability to lose there.
bool dropCapabilities(bool& boundingDropped)
{
    boundingDropped = true;
    for (int capability = 0; ::prctl(PR_CAPBSET_READ, capability, 0, 0, 0) >= 0; ++capability)
        if (::prctl(PR_CAPBSET_READ, capability, 0, 0, 0) == 1 &&
            ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0)
            boundingDropped = false;
    ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2] = {};
    return ::syscall(SYS_capset, &header, none) == 0;
}

// A process with more than one thread would leave the others outside what follows: the
// capabilities and Landlock apply to the calling thread alone.
bool singleThreaded()
{
    const int fd = ::open("/proc/self/stat", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true; // no /proc to ask: nothing in the helpers starts a thread before this
    char text[1024] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    // Field 20 is the thread count; the name in field 2 may hold spaces, so count from
    // the closing parenthesis.
    const char* at = n > 0 ? std::strrchr(text, ')') : nullptr;
    for (int field = 2; at && field < 20; ++field)
        at = std::strchr(at + 1, ' ');
    return !at || std::atoi(at + 1) == 1;
}

} // namespace

int restrictFileSystem()
{
    return applyLandlock();
}

Entry enter(int keep, int keepToo)
{
    Entry entry;
    if (!singleThreaded()) {
        entry.failure = "the process has started threads";
        return entry;
    }
    closeOthers(keep, keepToo);
    entry.emptyRoot = Isolation::emptyRoot();
    if (!dropCapabilities(entry.boundingSetDropped)) {
        entry.failure = std::string("dropping capabilities: ") + std::strerror(errno);
        return entry;
    }
    // glibc's own texts from here on: with any other locale, strerror would open its
    // translations, a path the filter refuses.
    std::setlocale(LC_ALL, "C");
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        entry.failure = std::string("no new privileges: ") + std::strerror(errno);
        return entry;
    }
    entry.landlockAbi = applyLandlock();
    if (entry.landlockAbi < 0) {
        entry.failure = "Landlock refused the rule set";
        return entry;
    }
    if (!installFilter()) {
        entry.failure = "the system-call filter could not be installed";
        return entry;
    }
    entry.entered = true;
    return entry;
}

} // namespace Sandbox
