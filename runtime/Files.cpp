#include "runtime/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {
namespace {

int RenameNoReplace(const char *from, const char *to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // The file system cannot refuse a replacement itself: link, then unlink.
  if (link(from, to) != 0) return -1;
  if (unlink(from) != 0) {
    const int saved = errno;
    unlink(to);
    errno = saved;
    return -1;
  }
  return 0;
}

int MakeTemp(char *pattern) { return mkstemp(pattern); }

const FileOps kPosixOps = {MakeTemp, ::write, ::fsync, ::close, RenameNoReplace, ::unlink};

}  // namespace

FileOps &Files() {
  static FileOps ops = kPosixOps;
  return ops;
}

void ResetFiles() { Files() = kPosixOps; }

bool FileExists(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool WriteAll(int fd, const std::string &data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = Files().write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncFolder(const std::string &folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace runtime
