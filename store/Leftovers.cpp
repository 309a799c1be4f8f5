#include "store/Leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/Files.h"
#include "store/ArchiveReader.h"

namespace store {

namespace {
const std::string kPrefix = ".Vantry-save-";
const std::string kRetired = ".old";
constexpr size_t kRandom = 6;  // the letters mkstemp puts for XXXXXX
}  // namespace

std::string TemporaryPattern(const std::string &folder) { return folder + "/" + kPrefix + "XXXXXX"; }

std::string RetiredName(const std::string &temporary) { return temporary + kRetired; }

bool IsLeftoverName(const std::string &name) {
  const std::string &prefix = kPrefix;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string rest = name.substr(prefix.size());
  if (rest.size() == kRandom + kRetired.size()) {
    if (rest.compare(kRandom, kRetired.size(), kRetired) != 0) return false;
  } else if (rest.size() != kRandom) {
    return false;
  }
  for (size_t i = 0; i < kRandom; ++i) {
    const char c = rest[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

void RemoveLeftovers(const std::string &folder) {
  const Verdict verdict = CheckArchive(folder + "/Vantry.csv").verdict;
  if (verdict != Verdict::kWhole && verdict != Verdict::kHeaderOnly) return;
  DIR *dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const uid_t me = geteuid();
  while (const dirent *entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsLeftoverName(name)) continue;
    struct stat st {};
    if (fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != me) continue;
    runtime::Files().unlink((folder + "/" + name).c_str());
  }
  closedir(dir);
}

}  // namespace store
