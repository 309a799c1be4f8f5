// The logger's files in the folder "Quenta" of the working directory. A folder
// others can write may hold links or files planted by another user: the folder
// and its files are opened without following a link, and a file is used only
// when it is a regular file of the calling user that nobody else can write.
#pragma once
#include <sys/types.h>

namespace quenta {

constexpr char kQuentaFolder[] = "Quenta";
constexpr char kConfigName[] = "Quenta.cfg";
constexpr char kLogName[] = "Quenta.csv";
constexpr char kOldLogPattern[] = "Quenta.%s";  // a moved-aside log

// The folder "Quenta", open while the object lives.
class QuentaFolder {
 public:
  // Refused (not Usable, errno set) when it is missing, a link, not a folder,
  // or owned by another user than the caller or root.
  QuentaFolder();
  ~QuentaFolder();
  QuentaFolder(const QuentaFolder &) = delete;
  QuentaFolder &operator=(const QuentaFolder &) = delete;

  bool Usable() const { return fd_ >= 0; }

  // Opens (with O_CREAT: creates, mode 0600) a file of the folder; -1 with
  // errno when the folder is not usable or the file cannot be opened.
  // *refused tells that something else than an acceptable file has the name.
  int Open(const char *name, int flags, bool *refused = nullptr) const;
  // True when nothing of that name exists, or it is a file Open would accept.
  bool OwnFileOrNothing(const char *name) const;
  // Removes a file of the folder, by name within it.
  bool Remove(const char *name) const;
  // Renames within the folder.
  bool Rename(const char *from, const char *to) const;

 private:
  int fd_ = -1;
  int error_ = 0;          // why the folder is not usable
  bool refused_ = false;   // it exists, but is not used
  uid_t user_;  // the caller, as files are judged
};

}  // namespace quenta
