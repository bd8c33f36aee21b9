#include "import/helper/Sandbox.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
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

// The calls decoding makes once everything is loaded, found by running every import
// test under the filter. Memory may be mapped and protected but never made executable;
// fstat only on a descriptor (glibc's fstat is newfstatat with an empty path), never by
// path.
bool installFilter()
{
    Filter filter;
    if (!filter.context)
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
    const scmp_datum_t thread = CLONE_THREAD;
    ok = ok &&
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(mmap), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, exec, 0)) == 0 &&
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(mprotect), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, exec, 0)) == 0 &&
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(newfstatat), 1,
                          SCMP_A3(SCMP_CMP_EQ, scmp_datum_t(AT_EMPTY_PATH))) == 0 &&
         // Threads of this process (Qt converts large pictures on several), never a new
         // process: clone only with CLONE_THREAD, and clone3, whose flags a filter cannot
         // see, answers that it does not exist, so the C library falls back to clone.
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                          SCMP_A0(SCMP_CMP_MASKED_EQ, thread, thread)) == 0 &&
         seccomp_rule_add(filter.context, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0 &&
         // A new thread names itself and makes the wake-up descriptor of its event loop.
         seccomp_rule_add(filter.context, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1,
                          SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(PR_SET_NAME))) == 0 &&
         filter.allow(SCMP_SYS(eventfd2));
    return ok && seccomp_load(filter.context) == 0;
}

} // namespace

int restrictFileSystem()
{
    return applyLandlock();
}

Entry enter(int keep, int keepToo)
{
    Entry entry;
    closeOthers(keep, keepToo);
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
