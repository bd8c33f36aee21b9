#pragma once

#include <string>

// What the import helper is allowed once it has the picture: read and write the
// descriptors it already holds, manage its memory, wait on futexes, read the clocks,
// return from signals and exit. Entering is one-way and applies to the whole process.
namespace Sandbox {

struct Entry {
    bool entered = false;           // no capabilities, no new privileges and the filter are in place
    bool emptyRoot = false;         // the root is an empty file system (see Isolation)
    bool boundingSetDropped = true; // false when the process had no right to change it
    int landlockAbi = 0;            // the kernel's Landlock version applied; 0 when it has none
    std::string failure;            // what could not be set up, when not entered
};

// Closes every descriptor except standard input, output and error, keep and keepToo
// (either may be -1), makes the root an empty file system when the process was isolated,
// drops every capability, switches to the C locale, sets PR_SET_NO_NEW_PRIVS, takes away
// all file-system access through Landlock where the kernel has it, and installs the
// filter: any other system call kills the process with SIGSYS. Libraries must have loaded
// what they load lazily before this, and the process must still have one thread.
Entry enter(int keep, int keepToo = -1);

// The Landlock step of enter on its own (no new privileges must be set first): the
// kernel's Landlock version applied, 0 when it has none, -1 when it refused.
int restrictFileSystem();

} // namespace Sandbox
