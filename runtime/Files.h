// File operations of the archive store. The steps that change the folder go
// through FileOps, replaceable so that tests can make a step fail or stop
// the process part way.
#pragma once
#include <string>
#include <string_view>
#include <sys/types.h>

namespace runtime {

struct FileOps {
  int (*makeTemp)(char *pattern);  // mkstemp: creates the file 0600
  ssize_t (*write)(int fd, const void *data, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char *from, const char *to);   // never replaces `to`
  int (*replace)(const char *from, const char *to);  // replaces `to` in one step
  int (*link)(const char *existing, const char *name);
  int (*unlink)(const char *path);
};

FileOps &Files();
void ResetFiles();

// The rename that never replaces, on any file system: noReplace (renameat2
// with RENAME_NOREPLACE), else a link and an unlink, else a look and a
// rename. Files().rename uses it; tests pass stand-ins for the first two.
int RenameNoReplaceUsing(const char *from, const char *to, int (*noReplace)(const char *, const char *),
                         int (*makeLink)(const char *, const char *));

// The existence test: a regular file of that name (a bare name is looked up
// in the working directory).
bool FileExists(const std::string &path);

// Opens a regular file for reading; a named pipe, device, folder or socket is
// refused before it could block or act. -1 with `why` in the system's words
// otherwise.
int OpenRegularFile(const std::string &path, std::string &why);

// Reads lines ended by LF (a CR before it dropped) from a file, never holding
// more than one line of at most `limit` characters; or from bytes in memory,
// by the same rules.
class LineReader {
 public:
  enum Result { kLine, kEnd, kTooLong, kError };
  explicit LineReader(int fd) : fd_(fd) {}
  explicit LineReader(std::string_view bytes) : memory_(bytes), fromMemory_(true) {}
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;

  // kEnd when nothing is left; a last line without LF still counts as a line.
  Result Next(std::string &line, size_t limit);
  int Error() const { return error_; }  // errno of kError

 private:
  bool Fill();
  const char *Data() const { return fromMemory_ ? memory_.data() : buffer_; }
  int fd_ = -1;
  std::string_view memory_;
  bool fromMemory_ = false;
  char buffer_[16384];
  size_t pos_ = 0, size_ = 0;
  bool end_ = false;
  int error_ = 0;
};

// Writes all of data, retrying short writes; false on any failure.
bool WriteAll(int fd, const std::string &data);

// Flushes a folder's entries to disk (after renames); 0, or -1 with errno.
// A file system that cannot sync a folder counts as done.
int SyncFolder(const std::string &folder);

}  // namespace runtime
