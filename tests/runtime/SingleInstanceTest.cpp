#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TempFolder.h"

namespace {

int RunProbe() {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(INSTANCE_PROBE, INSTANCE_PROBE, nullptr);
    _exit(99);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PrevInstance, SecondStartSeesTheFirstAndACrashFreesTheLock) {
  TempFolder runtimeDir;
  setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
  EXPECT_EQ(RunProbe(), 0);  // nobody holds it

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    dup2(out[1], 1);
    execl(INSTANCE_PROBE, INSTANCE_PROBE, "hold", nullptr);
    _exit(99);
  }
  close(out[1]);
  char first = 0;
  ASSERT_EQ(read(out[0], &first, 1), 1);
  EXPECT_EQ(first, '0');
  EXPECT_EQ(RunProbe(), 1);  // a second instance

  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(RunProbe(), 0);  // the dead holder blocks nobody
  close(out[0]);
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
