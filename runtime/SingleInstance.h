#pragma once
#include <string>

namespace runtime {
// True when another Vantry of this user runs from the same program folder
// (AppPath()); programs in different folders (two vaults on two drives) run
// side by side. The first call takes a lock held until the process ends; the
// kernel drops it when a process dies, so a crash never blocks the next start.
bool PrevInstance();
// The same for a given program folder; the first call in a process decides.
// Only a lock held by another running instance answers true: where no lock
// can be had at all, the program runs, with a line on standard error.
bool PrevInstanceOf(const std::string &programFolder);

// The folder that holds the locks: XDG_RUNTIME_DIR, or else "Vantry-<uid>" in
// TMPDIR or "/tmp",
// created 0700 and used only while it is the user's own and private. "" when
// there is none to be had.
std::string InstanceLockFolder();
// The lock file of a program folder within it (tests).
std::string InstanceLockName(const std::string &programFolder);
// Tests only: the call that takes the lock (flock); null restores it. The
// program never calls it.
void SetInstanceLockCallForTest(int (*call)(int fd, int operation));
}
