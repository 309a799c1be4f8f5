#include "Message.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace quenta {

void ShowMessage(const char *title, const char *text) {
  char line[512];
  int n = std::snprintf(line, sizeof line, "%s: %s\n", title, text);
  if (n < 0) return;
  if (n >= static_cast<int>(sizeof line)) {
    n = sizeof line - 1;
    line[n - 1] = '\n';
  }
  // One write, so that lines of several processes do not mix.
  ssize_t written = write(STDERR_FILENO, line, static_cast<size_t>(n));
  (void)written;
}

int AboveStandardStreams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  close(fd);
  return moved;
}

void ShowErrorMessage(const char *title, int error) {
  char buffer[256];
  ShowMessage(title, strerror_r(error, buffer, sizeof buffer));
}

}  // namespace quenta
