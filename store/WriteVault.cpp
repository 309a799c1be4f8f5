#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "runtime/ErrorLine.h"
#include "runtime/Files.h"
#include "store/ArchiveOnDisk.h"
#include "store/RecordRules.h"
#include "store/CipherLibrary.h"
#include "store/Leftovers.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/Vault.h"

bool ArchiveText(std::string &out, std::string &why) {
  using namespace Module1;
  if (const auto refusal = store::TableRefusal()) {
    why = refusal->Text();
    return false;
  }
  out = std::to_string(RowCount) + "x" + std::to_string(ColumnCount);
  for (int c = 1; c <= ColumnCount; ++c) out += "," + ColumnTitles[c];
  out += "\r\n";
  std::array<char, store::kCipherBufferSize> buffer{};
  for (int r = 0; r < RowCount; ++r) {
    std::string plain;
    for (int c = 0; c <= ColumnCount; ++c) {
      if (c > 0) plain += ',';
      plain += VaultTable[r][c];
    }
    plain += ',';
    plain += r == 0 ? HintText : VaultTable[r - 1][0];
    const auto n = store::CallModulate(buffer.data(), plain.c_str(), 0);
    const size_t length = strnlen(buffer.data(), buffer.size());
    if (!n || static_cast<size_t>(*n) != plain.size() || length != 3 + 2 * plain.size()) {
      why = "Row " + std::to_string(r + 1) + " could not be scrambled.";
      return false;
    }
    out.append(buffer.data(), length);
    out += "\r\n";
  }
  return true;
}

namespace {

// The steps of one save, each undone in reverse order when a later one fails.
class Save {
 public:
  explicit Save(std::string folder) : folder_(std::move(folder)) {}

  // Puts text in place as the archive, the archive before it as the first
  // backup; false with why() when nothing changed (as far as it could be undone).
  bool Run(const std::string &text);
  // Puts a copy of backup in place as the archive; the archive before it
  // stays under the name keptAs. false with why() when nothing changed.
  bool Restore(const std::string &backup, const std::string &keptAs);
  const std::string &why() const { return why_; }

 private:
  bool Fail(const std::string &step, int error) {
    why_ = step + ": " + runtime::SystemReason(error);
    return false;
  }
  bool Undo();
  // Fills the file; false with errno and what it was doing.
  using Filler = std::function<bool(int fd, std::string &doing)>;
  bool WriteTemporary(const Filler &fill, std::string &name);
  bool Move(const std::string &from, const std::string &to);
  bool KeepFirstBackup(const std::string &p0, const std::string &p1);
  bool CopyToTemporary(const std::string &from, std::string &copy);
  bool CopyFile(const std::string &from, const std::string &to);

  std::string folder_;
  std::string why_;
  std::vector<std::function<void()>> undo_;
};

bool Save::Undo() {
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
  undo_.clear();
  return false;
}

// A new file beside the archive, filled and synced to disk.
bool Save::WriteTemporary(const Filler &fill, std::string &name) {
  auto &files = runtime::Files();
  name = store::TemporaryPattern(folder_);
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  const int fd = files.makeTemp(pattern.data());
  if (fd < 0) return Fail("creating a new file in " + folder_, errno);
  name.assign(pattern.data());
  fchmod(fd, 0600);
  const std::string made = name;
  undo_.push_back([made] { runtime::Files().unlink(made.c_str()); });
  std::string doing = "writing " + name;
  if (!fill(fd, doing)) {
    const int error = errno;
    files.close(fd);
    return Fail(doing, error);
  }
  if (files.fsync(fd) != 0) {
    const int error = errno;
    files.close(fd);
    return Fail("syncing " + name, error);
  }
  if (files.close(fd) != 0) return Fail("closing " + name, errno);
  return true;
}

bool Save::Move(const std::string &from, const std::string &to) {
  if (runtime::Files().rename(from.c_str(), to.c_str()) != 0) return Fail("renaming " + from + " to " + to, errno);
  undo_.push_back([from, to] { runtime::Files().rename(to.c_str(), from.c_str()); });
  return true;
}

// A synced copy of a file beside the archive, under a temporary name.
bool Save::CopyToTemporary(const std::string &from, std::string &copy) {
  std::string why;
  const int in = runtime::OpenRegularFile(from, why);
  if (in < 0) {
    why_ = "copying " + from + ": " + why;
    return false;
  }
  // Read and written a piece at a time: the file may be of any size.
  auto fill = [in, &from](int fd, std::string &doing) {
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(in, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) doing = "copying " + from;
      if (n <= 0) return n == 0;
      if (!runtime::WriteAll(fd, std::string(buffer, static_cast<size_t>(n)))) return false;
    }
  };
  const bool copied = WriteTemporary(fill, copy);
  close(in);
  return copied;
}

// A synced copy under a new name, for file systems without hard links.
bool Save::CopyFile(const std::string &from, const std::string &to) {
  std::string copy;
  return CopyToTemporary(from, copy) && Move(copy, to);
}

// The first backup: the archive itself under a second name, so that
// "Vantry.csv" never goes missing; a copy where links cannot be made.
bool Save::KeepFirstBackup(const std::string &p0, const std::string &p1) {
  auto &files = runtime::Files();
  if (files.link(p0.c_str(), p1.c_str()) == 0) {
    undo_.push_back([p1] { runtime::Files().unlink(p1.c_str()); });
    return true;
  }
  const int error = errno;
  if (error != EPERM && error != EXDEV && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK &&
      error != ENOSYS)
    return Fail("linking " + p0 + " as " + p1, error);
  return CopyFile(p0, p1);
}

bool Save::Run(const std::string &text) {
  auto &files = runtime::Files();
  const std::string p0 = VaultPath(0), p1 = VaultPath(1), p2 = VaultPath(2), p3 = VaultPath(3);
  struct stat st {};
  if (lstat(p0.c_str(), &st) == 0 && !runtime::FileExists(p0)) {
    why_ = p0 + " is not a regular file";
    return false;
  }
  std::string fresh;
  if (!WriteTemporary([&text](int fd, std::string &) { return runtime::WriteAll(fd, text); }, fresh))
    return Undo();

  // The oldest backup is only set aside, and deleted once all went well.
  const std::string retired = store::RetiredName(fresh);
  bool retiring = false;
  if (runtime::FileExists(p1)) {
    if (runtime::FileExists(p2)) {
      if (runtime::FileExists(p3)) {
        if (!Move(p3, retired)) return Undo();
        retiring = true;
      }
      if (!Move(p2, p3)) return Undo();
    }
    if (!Move(p1, p2)) return Undo();
  }
  const bool hadArchive = runtime::FileExists(p0);
  if (hadArchive && !KeepFirstBackup(p0, p1)) return Undo();

  // One step from the old archive to the new one.
  if (files.replace(fresh.c_str(), p0.c_str()) != 0) {
    Fail("renaming " + fresh + " to " + p0, errno);
    return Undo();
  }
  if (hadArchive)
    undo_.push_back([p0, p1] { runtime::Files().replace(p1.c_str(), p0.c_str()); });
  else
    undo_.push_back([p0, fresh] { runtime::Files().rename(p0.c_str(), fresh.c_str()); });

  if (runtime::SyncFolder(folder_) != 0) {
    Fail("syncing the folder " + folder_, errno);
    return Undo();
  }
  undo_.clear();
  if (retiring) files.unlink(retired.c_str());
  return true;
}

bool Save::Restore(const std::string &backup, const std::string &keptAs) {
  const std::string p0 = VaultPath(0);
  std::string fresh;
  if (!CopyToTemporary(backup, fresh)) return Undo();
  // The damaged archive is kept, and "Vantry.csv" never goes missing.
  if (!KeepFirstBackup(p0, keptAs)) return Undo();
  if (runtime::Files().replace(fresh.c_str(), p0.c_str()) != 0) {
    Fail("renaming " + fresh + " to " + p0, errno);
    return Undo();
  }
  undo_.push_back([p0, keptAs] { runtime::Files().replace(keptAs.c_str(), p0.c_str()); });
  if (runtime::SyncFolder(folder_) != 0) {
    Fail("syncing the folder " + folder_, errno);
    return Undo();
  }
  undo_.clear();
  return true;
}

}  // namespace

std::string VaultPath(int backup) {
  return Module1::AppFolder + (backup == 0 ? "/Vantry.csv" : "/Vantry" + std::to_string(backup) + ".csv");
}

bool WriteVault() {
  const std::string path = VaultPath();
  if (!store::CipherAvailable()) {
    store::ShowSaveRefused(path, "The library " + store::CipherLibraryPath() + " could not be loaded:\r\n" +
                                     store::CipherError());
    return false;
  }
  std::string text, why;
  if (!ArchiveText(text, why)) {
    store::ShowSaveRefused(path, why);
    return false;
  }
  // The archive changed since it was read or saved: its bytes become the
  // first backup only when the owner says so.
  const store::OnDisk onDisk = store::ArchiveOnDisk(path);
  if (onDisk == store::OnDisk::kChanged && !store::AskSaveOverChanged(path)) return false;
  Save save(Module1::AppFolder);
  if (!save.Run(text)) {
    store::ShowSaveFailed(path, save.why());
    return false;
  }
  store::RememberArchive(path, store::FingerprintOf(text));
  // What an earlier save left behind is of no use once the new archive reads.
  store::RemoveLeftovers(Module1::AppFolder);
  return true;
}

bool RestoreBackup(int backup, const std::string &keptAs) {
  Save save(Module1::AppFolder);
  if (!save.Restore(VaultPath(backup), keptAs)) {
    store::ShowSaveFailed(VaultPath(), save.why());
    return false;
  }
  return true;
}
