#include "runtime/SingleInstance.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {

std::string InstanceLockPath() {
  const char *dir = std::getenv("XDG_RUNTIME_DIR");
  std::string base = (dir != nullptr && *dir != 0) ? dir : "/tmp";
  return base + "/Vantry-" + std::to_string(getuid()) + ".lock";
}

bool PrevInstance() {
  // Decided once; the descriptor stays open, and with it the lock.
  static const bool another = [] {
    const int fd = open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;  // no lock to be had: do not keep the owner out
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return true;
    }
    return false;
  }();
  return another;
}

}  // namespace runtime
