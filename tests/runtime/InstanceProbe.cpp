// Reports whether another instance holds the lock: exit 1 if so. With
// "hold", it prints that answer and keeps its own lock until killed. A second
// argument names the program folder instead of the probe's own; a third, an
// errno value, makes taking the lock fail with it, as a file system without
// locks does.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "runtime/SingleInstance.h"

namespace {
int lockError = 0;
int FailingLock(int, int) {
  errno = lockError;
  return -1;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc > 3) {
    lockError = std::atoi(argv[3]);
    runtime::SetInstanceLockCallForTest(FailingLock);
  }
  const bool another = argc > 2 ? runtime::PrevInstanceOf(argv[2]) : runtime::PrevInstance();
  if (argc > 1 && std::strcmp(argv[1], "hold") == 0) {
    std::printf("%d\n", another ? 1 : 0);
    std::fflush(stdout);
    for (;;) pause();
  }
  return another ? 1 : 0;
}
