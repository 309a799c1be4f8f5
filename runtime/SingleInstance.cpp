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
#include "runtime/ErrorLine.h"

namespace runtime {
namespace {

int (*lockCall)(int fd, int operation) = flock;

// Only a lock another instance holds keeps a start out; a lock the system
// cannot give (no locks on that file system, none left) must not keep the
// owner out of the vault.
void RunWithoutLock(const std::string &where, const std::string &why) {
  ErrorLine(where, "no single-instance lock, starting anyway", why);
}

// A shared /tmp: another user may have made the name first, or planted a link.
bool IsPrivateFolder(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

// The folder of the locks, or -1 with why.
int OpenLockFolder(std::string &why) {
  const char *runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  const bool given = runtimeDir != nullptr && *runtimeDir != 0;
  const std::string folder = InstanceLockFolder();
  if (!given && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    why = SystemReason(errno);
    return -1;
  }
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (given ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    why = SystemReason(errno);
    return -1;
  }
  if (!given && !IsPrivateFolder(fd)) {
    close(fd);
    why = "not a private folder of this user";
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
    const std::string lockFolder = InstanceLockFolder();
    std::string why;
    const int folder = OpenLockFolder(why);
    if (folder < 0) {
      RunWithoutLock(lockFolder, why);
      return false;
    }
    const std::string lockPath = lockFolder + "/" + InstanceLockName(programFolder);
    const int fd = openat(folder, InstanceLockName(programFolder).c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    const int openError = errno;
    close(folder);
    if (fd < 0) {
      RunWithoutLock(lockPath, SystemReason(openError));
      return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
      close(fd);
      RunWithoutLock(lockPath, "not a regular file of this user");
      return false;
    }
    if (lockCall(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      close(fd);
      if (error == EWOULDBLOCK) return true;
      RunWithoutLock(lockPath, SystemReason(error));
    }
    return false;
  }();
  return another;
}

bool PrevInstance() { return PrevInstanceOf(AppPath()); }

void SetInstanceLockCallForTest(int (*call)(int fd, int operation)) { lockCall = call != nullptr ? call : flock; }

}  // namespace runtime
