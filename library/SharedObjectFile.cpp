#include "SharedObjectFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace quenta {

void SharedObjectPath(char *out, size_t size, const char *prefix, const char *name) {
  std::snprintf(out, size, "/dev/shm/%s%s", prefix, name[0] == '/' ? name + 1 : name);
}

bool IsPrivateFile(const struct stat &st) {
  return S_ISREG(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool ClearBadObject(const char *path, bool (*sound)(const struct stat &)) {
  struct stat st {};
  if (lstat(path, &st) != 0) return errno == ENOENT;
  if (sound(st)) return true;
  if (st.st_uid != geteuid()) {
    errno = EACCES;
    return false;
  }
  const int removed = S_ISDIR(st.st_mode) ? rmdir(path) : unlink(path);
  return removed == 0 || errno == ENOENT;
}

}  // namespace quenta
