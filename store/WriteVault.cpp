#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "runtime/Files.h"
#include "runtime/MessageBox.h"
#include "store/RecordRules.h"
#include "store/CipherLibrary.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/Vault.h"

namespace {

void Refuse(const std::string &why) {
  runtime::MsgBox("   Can not save Vantry.csv !    \r\n" + why, runtime::kStyleExclamationModal,
                  store::kCaptionError);
}

// The whole archive text, or a refusal naming what cannot be stored.
bool BuildArchive(std::string &out, std::string &why) {
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

// Writes text to a new file beside the archive; its name, or empty.
std::string WriteTemporary(const std::string &text) {
  std::string name = VaultPath() + ".XXXXXX";
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  const int fd = runtime::Files().makeTemp(pattern.data());
  if (fd < 0) return std::string();
  name.assign(pattern.data());
  fchmod(fd, 0600);
  const bool ok = runtime::WriteAll(fd, text) && runtime::Files().fsync(fd) == 0;
  if (runtime::Files().close(fd) != 0 || !ok) {
    runtime::Files().unlink(name.c_str());
    return std::string();
  }
  return name;
}

struct Move {
  std::string from, to;
};

// Shifts the backups and puts the new file in place, or undoes every step.
bool Rotate(const std::string &fresh) {
  auto &files = runtime::Files();
  const std::string p0 = VaultPath(0), p1 = VaultPath(1), p2 = VaultPath(2), p3 = VaultPath(3);
  std::vector<Move> done;
  auto move = [&](const std::string &from, const std::string &to) {
    if (files.rename(from.c_str(), to.c_str()) != 0) return false;
    done.push_back({from, to});
    return true;
  };
  // The oldest backup is only set aside, and deleted once all went well.
  const std::string retired = fresh + ".old";
  bool ok = true;
  if (runtime::FileExists(p1)) {
    if (runtime::FileExists(p2)) {
      if (runtime::FileExists(p3)) ok = move(p3, retired);
      ok = ok && move(p2, p3);
    }
    ok = ok && move(p1, p2);
  }
  if (ok && runtime::FileExists(p0)) ok = move(p0, p1);
  if (ok) ok = move(fresh, p0);
  if (!ok) {
    for (auto it = done.rbegin(); it != done.rend(); ++it) files.rename(it->to.c_str(), it->from.c_str());
    files.unlink(fresh.c_str());
    return false;
  }
  if (!done.empty() && done.front().to == retired) files.unlink(retired.c_str());
  runtime::SyncFolder(Module1::AppFolder);
  return true;
}

}  // namespace

std::string VaultPath(int backup) {
  return Module1::AppFolder + (backup == 0 ? "/Vantry.csv" : "/Vantry" + std::to_string(backup) + ".csv");
}

bool WriteVault() {
  if (!store::CipherAvailable()) {
    Refuse("The library libQuenta.so could not be loaded:\r\n" + store::CipherError());
    return false;
  }
  std::string text, why;
  if (!BuildArchive(text, why)) {
    Refuse(why);
    return false;
  }
  const std::string fresh = WriteTemporary(text);
  if (fresh.empty() || !Rotate(fresh)) {
    store::ShowCanNotOpen();
    return false;
  }
  return true;
}
