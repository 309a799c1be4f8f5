#include "runtime/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/ErrorLine.h"

namespace runtime {
namespace {

int RenameAt2NoReplace(const char *from, const char *to) {
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int RenameNoReplace(const char *from, const char *to) {
  return RenameNoReplaceUsing(from, to, RenameAt2NoReplace, ::link);
}

int MakeTemp(char *pattern) { return mkstemp(pattern); }

const FileOps kPosixOps = {MakeTemp, ::write, ::fsync, ::close, RenameNoReplace, ::rename, ::link, ::unlink};

const char *Kind(mode_t mode) {
  if (S_ISFIFO(mode)) return "not a regular file but a named pipe";
  if (S_ISDIR(mode)) return "not a regular file but a folder";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "not a regular file but a device";
  if (S_ISSOCK(mode)) return "not a regular file but a socket";
  return "not a regular file";
}

}  // namespace

int RenameNoReplaceUsing(const char *from, const char *to, int (*noReplace)(const char *, const char *),
                         int (*makeLink)(const char *, const char *)) {
  if (noReplace(from, to) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // The file system cannot refuse a replacement itself: link, then unlink.
  if (makeLink(from, to) == 0) {
    if (unlink(from) == 0) return 0;
    const int saved = errno;
    unlink(to);
    errno = saved;
    return -1;
  }
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) return -1;
  // Nor links (exFAT through FUSE): look, then rename. Only this program
  // renames in the folder, one instance at a time.
  struct stat st {};
  if (lstat(to, &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from, to);
}

FileOps &Files() {
  static FileOps ops = kPosixOps;
  return ops;
}

void ResetFiles() { Files() = kPosixOps; }

bool FileExists(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int OpenRegularFile(const std::string &path, std::string &why) {
  struct stat before {};
  if (stat(path.c_str(), &before) != 0) {
    why = SystemReason(errno);
    return -1;
  }
  if (!S_ISREG(before.st_mode)) {
    why = Kind(before.st_mode);
    return -1;
  }
  // Non-blocking, in case the name was swapped for a pipe since the test.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    why = SystemReason(errno);
    return -1;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = Kind(st.st_mode);
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool LineReader::Fill() {
  if (end_) return false;
  if (fromMemory_) {
    // All of it at once, the first time.
    end_ = size_ != 0 || memory_.empty();
    if (end_) return false;
    pos_ = 0;
    size_ = memory_.size();
    return true;
  }
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error_ = errno;
    if (n <= 0) {
      end_ = true;
      return false;
    }
    pos_ = 0;
    size_ = static_cast<size_t>(n);
    return true;
  }
}

LineReader::Result LineReader::Next(std::string &line, size_t limit) {
  line.clear();
  bool any = false;
  for (;;) {
    if (pos_ == size_ && !Fill()) {
      if (error_ != 0) return kError;
      if (!any) return kEnd;
      break;
    }
    any = true;
    const char *start = Data() + pos_;
    const void *lf = memchr(start, '\n', size_ - pos_);
    const size_t take = lf != nullptr ? static_cast<size_t>(static_cast<const char *>(lf) - start) : size_ - pos_;
    // One more than the limit, for the CR that may end the line.
    if (line.size() + take > limit + 1) return kTooLong;
    line.append(start, take);
    pos_ += take;
    if (lf != nullptr) {
      ++pos_;
      break;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > limit) return kTooLong;
  return kLine;
}

bool WriteAll(int fd, const std::string &data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = Files().write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int SyncFolder(const std::string &folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  int result = Files().fsync(fd);
  const int saved = errno;
  if (result != 0 && (saved == EINVAL || saved == ENOTSUP || saved == ENOSYS)) result = 0;
  close(fd);
  errno = saved;
  return result;
}

}  // namespace runtime
