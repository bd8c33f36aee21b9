#pragma once

// The namespaces an import helper decodes in: a user namespace of its own, and in it new
// mount, PID and network namespaces, as browsers give their renderers. Nothing outside the
// helper is reachable from them once the root is an empty file system.
namespace Isolation {

// Called first in main, while the process has a single thread (a process with several may
// not enter a user namespace). Where the kernel allows it, the process enters the new
// namespaces and forks: the child, the first process of its PID namespace, returns true
// and goes on; the parent keeps nothing open, waits for the child and ends the way it
// ended, so it never returns. False, with nothing changed, where the kernel refuses the
// namespaces; the system-call filter then keeps path lookups out on its own.
bool isolate();

// Whether isolate() succeeded: the process has a mount namespace of its own.
bool isolated();

// Makes an empty, read-only file system the root of the process's own mount namespace and
// lets the old root go, so that no path leads anywhere. Needs the capabilities the user
// namespace gave and must come before they are dropped. False when it could not be done
// (the old root then stays).
bool emptyRoot();

} // namespace Isolation
