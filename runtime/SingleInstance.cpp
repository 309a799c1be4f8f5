#include "runtime/SingleInstance.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/AppPath.h"

namespace runtime {
namespace {

// A shared /tmp: another user may have made the name first, or planted a link.
bool IsPrivateFolder(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

int OpenLockFolder() {
  const char *runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (runtimeDir != nullptr && *runtimeDir != 0)
    return open(runtimeDir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string folder = InstanceLockFolder();
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return -1;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0 && !IsPrivateFolder(fd)) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string InstanceLockFolder() {
  const char *runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (runtimeDir != nullptr && *runtimeDir != 0) return runtimeDir;
  const char *tmp = std::getenv("TMPDIR");
  const std::string base = (tmp != nullptr && tmp[0] == '/') ? tmp : "/tmp";
  return base + "/Vantry-" + std::to_string(geteuid());
}

std::string InstanceLockName(const std::string &programFolder) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a of the folder's path
  for (const unsigned char c : programFolder) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Vantry-%016llx.lock", static_cast<unsigned long long>(h));
  return name;
}

bool PrevInstanceOf(const std::string &programFolder) {
  // Decided once; the descriptor stays open, and with it the lock. Where no
  // lock can be had, the owner is not kept out.
  static const bool another = [&programFolder] {
    const int folder = OpenLockFolder();
    if (folder < 0) return false;
    const int fd = openat(folder, InstanceLockName(programFolder).c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    close(folder);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
      close(fd);
      return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return true;
    }
    return false;
  }();
  return another;
}

bool PrevInstance() { return PrevInstanceOf(AppPath()); }

}  // namespace runtime
