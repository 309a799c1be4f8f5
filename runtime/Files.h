// File operations of the archive writer, replaceable so that tests can make
// a step fail part way.
#pragma once
#include <string>
#include <sys/types.h>

namespace runtime {

struct FileOps {
  int (*makeTemp)(char *pattern);  // mkstemp: creates the file 0600
  ssize_t (*write)(int fd, const void *data, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char *from, const char *to);  // never replaces `to`
  int (*unlink)(const char *path);
};

FileOps &Files();
void ResetFiles();

// The existence test: a regular file of that name (a bare name is looked up
// in the working directory).
bool FileExists(const std::string &path);

// Writes all of data, retrying short writes; false on any failure.
bool WriteAll(int fd, const std::string &data);

// Flushes a folder's entries to disk (after renames).
void SyncFolder(const std::string &folder);

}  // namespace runtime
