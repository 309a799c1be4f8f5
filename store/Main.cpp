#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "runtime/AppPath.h"
#include "runtime/ErrorLine.h"
#include "runtime/Files.h"
#include "runtime/SingleInstance.h"
#include "store/BackupRecovery.h"
#include "store/Leftovers.h"
#include "store/Module1.h"
#include "store/Vault.h"

namespace {

// Says where the archive was looked for: a start in the wrong folder, or an
// archive that went missing, is then plain to see.
void NoArchive() {
  std::error_code ec;
  const std::string path = (std::filesystem::current_path(ec) / "Vantry.csv").string();
  struct stat st {};
  const std::string why = stat("Vantry.csv", &st) != 0 ? runtime::SystemReason(errno) : "not a regular file";
  runtime::ErrorLine(path, "no archive, the creation dialog opens", why);
}

}  // namespace

bool Main(const StartupWindows &windows) {
  using namespace Module1;
  if (runtime::PrevInstance()) return false;
  AppFolder = runtime::AppPath();
  // The bare name: looked up in the working directory, read from AppFolder.
  if (runtime::FileExists("Vantry.csv")) {
    RowCount = 99;
    ColumnCount = 9;
    DisplayLevel = EditMode = SizeToggle = 0;
    if (ReadVault() == 0 && !store::OfferNewestBackup()) return false;
    store::RemoveLeftovers(AppFolder);
    if (windows.showMainWindow) windows.showMainWindow();
    return true;
  }
  NoArchive();
  if (windows.runCreateDialog) windows.runCreateDialog();
  return false;
}
