#pragma once

// The helper's check of its own sandbox, for the tests only: it enters the sandbox
// exactly as a decode does, then makes one forbidden attempt, named by the caller.
namespace SandboxSelfTest {

inline constexpr const char* Flag = "--sandbox-self-test";

// How a run ends when the call returns instead of killing the helper.
enum Exit : int {
    Entered = 0,     // "nothing": the sandbox was entered and the helper could exit
    Refused = 10,    // the call failed with EPERM or EACCES
    Allowed = 11,    // the call succeeded
    OtherError = 12, // the call failed some other way
    UnknownAttempt = 13,
    NotEntered = 14,   // the sandbox could not be set up
    Closed = 15,       // the inherited descriptor was no longer open
    NoLandlock = 16,   // the kernel has no Landlock
    Missing = 17,      // the call failed with ENOENT: there is nothing at that path
    NoNamespaces = 18, // the kernel gave the helper no namespaces of its own
};

// Attempts: nothing, open (/etc/passwd), socket, execve (/bin/true), fork, ptrace, connect,
// write (creates path, which must be given), exec-memory (an executable mapping),
// inherited (reads the descriptor whose number path gives), stat (/etc/passwd by path,
// in the AT_EMPTY_PATH form fstat uses), fstat (standard input, which must still work),
// clone-namespace (a thread in a network namespace of its own), capabilities (any
// capability left, or no new privileges or filter missing, counts as allowed),
// environment (any variable beyond the fixed set counts as allowed), strerror (glibc's
// text for an error, in the locale the environment names). landlock-open and
// landlock-write make the open and write attempts under the Landlock rule set alone,
// without the filter, which would otherwise stop them first; root-open makes the open
// attempt with the empty root alone. An attempt prefixed plain- is made without the
// namespaces, as on a kernel that refuses them.
int run(const char* attempt, const char* path);

} // namespace SandboxSelfTest
