// Reports whether another instance holds the lock: exit 1 if so. With
// "hold", it prints that answer and keeps its own lock until killed. A second
// argument names the program folder instead of the probe's own.
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "runtime/SingleInstance.h"

int main(int argc, char **argv) {
  const bool another = argc > 2 ? runtime::PrevInstanceOf(argv[2]) : runtime::PrevInstance();
  if (argc > 1 && std::strcmp(argv[1], "hold") == 0) {
    std::printf("%d\n", another ? 1 : 0);
    std::fflush(stdout);
    for (;;) pause();
  }
  return another ? 1 : 0;
}
