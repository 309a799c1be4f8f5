#pragma once
#include <string>

namespace runtime {
// True when another Vantry of this user is running. The first call takes a
// per-user lock held until the process ends; the kernel drops it when a
// process dies, so a crash never blocks the next start.
bool PrevInstance();

// The lock file (tests).
std::string InstanceLockPath();
}
