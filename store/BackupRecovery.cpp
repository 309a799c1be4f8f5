#include "store/BackupRecovery.h"

#include <ctime>
#include <sys/stat.h>

#include "runtime/ErrorLine.h"
#include "runtime/MessageBox.h"
#include "store/ArchiveReader.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/Vault.h"

namespace store {
namespace {

std::string LocalTime(time_t when, const char *format) {
  struct tm local {};
  localtime_r(&when, &local);
  char text[64];
  const size_t n = strftime(text, sizeof text, format, &local);
  return std::string(text, n);
}

bool Taken(const std::string &path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

int NewestIntactBackup() {
  for (int n = 1; n <= 3; ++n)
    if (CheckArchive(VaultPath(n)).verdict == Verdict::kWhole) return n;
  return 0;
}

std::string DamagedName(time_t when) {
  const std::string stem = Module1::AppFolder + "/Vantry.damaged-" + LocalTime(when, "%Y%m%d-%H%M%S");
  std::string name = stem + ".csv";
  for (int i = 2; Taken(name); ++i) name = stem + "-" + std::to_string(i) + ".csv";
  return name;
}

bool OfferNewestBackup() {
  using namespace Module1;
  if (CheckArchive(VaultPath()).verdict != Verdict::kCorrupted) return false;
  const int backup = NewestIntactBackup();
  if (backup == 0) return false;
  const std::string backupPath = VaultPath(backup);
  struct stat st {};
  stat(backupPath.c_str(), &st);
  const std::string keptAs = DamagedName(time(nullptr));
  const std::string backupName = "Vantry" + std::to_string(backup) + ".csv";
  const std::string question =
      "Vantry.csv is damaged.\r\n\r\nThe newest intact backup is " + backupName + ", saved " +
      LocalTime(st.st_mtime, "%Y-%m-%d %H:%M") + ".\r\n\r\nOpen it? Vantry.csv is kept as " +
      keptAs.substr(keptAs.rfind('/') + 1) + ", and a copy of the backup takes its place.";
  if (runtime::MsgBox(question, runtime::kStyleQuestionOkCancel, kCaptionRead) != runtime::kAnswerOk)
    return false;
  if (!RestoreBackup(backup, keptAs)) return false;
  runtime::ErrorLine(VaultPath(), "replaced by a copy of " + backupPath, "the damaged file is kept as " + keptAs);
  // Read as at a normal start.
  RowCount = 99;
  ColumnCount = 9;
  return ReadVault() != 0;
}

}  // namespace store
