#include "LogFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "Message.h"

namespace quenta {
namespace {

// A regular file of the user that group and others cannot write, with no
// other name that would lead elsewhere.
bool IsOwnPrivateFile(const struct stat &st, uid_t user) {
  return S_ISREG(st.st_mode) && st.st_uid == user && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
         st.st_nlink == 1;
}

}  // namespace

QuentaFolder::QuentaFolder() : user_(geteuid()) {
  const int fd =
      AboveStandardStreams(open(kQuentaFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd < 0) {
    error_ = errno;
    refused_ = error_ == ELOOP || error_ == ENOTDIR;  // a link or no folder
    return;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || (st.st_uid != user_ && st.st_uid != 0)) {
    close(fd);
    error_ = errno = EACCES;
    refused_ = true;
    return;
  }
  fd_ = fd;
}

QuentaFolder::~QuentaFolder() {
  if (fd_ >= 0) close(fd_);
}

int QuentaFolder::Open(const char *name, int flags, bool *refused) const {
  if (refused != nullptr) *refused = refused_;
  if (fd_ < 0) {
    errno = error_;
    return -1;
  }
  // Non-blocking, so that a planted FIFO cannot hold the caller (on a regular
  // file the flag changes nothing).
  const int fd = AboveStandardStreams(
      openat(fd_, name, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
  if (fd < 0) {
    const int error = errno;
    if (refused != nullptr) *refused = !OwnFileOrNothing(name);
    errno = error;
    return -1;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !IsOwnPrivateFile(st, user_)) {
    close(fd);
    if (refused != nullptr) *refused = true;
    errno = EACCES;
    return -1;
  }
  return fd;
}

bool QuentaFolder::OwnFileOrNothing(const char *name) const {
  if (fd_ < 0) return false;
  struct stat st {};
  if (fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  return IsOwnPrivateFile(st, user_);
}

bool QuentaFolder::Remove(const char *name) const { return fd_ >= 0 && unlinkat(fd_, name, 0) == 0; }

bool QuentaFolder::Rename(const char *from, const char *to) const {
  return fd_ >= 0 && renameat(fd_, from, fd_, to) == 0;
}

}  // namespace quenta
