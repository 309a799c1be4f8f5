#include "runtime/AppPath.h"
#include "runtime/Files.h"
#include "runtime/SingleInstance.h"
#include "store/BackupRecovery.h"
#include "store/Leftovers.h"
#include "store/Module1.h"
#include "store/Vault.h"

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
  if (windows.runCreateDialog) windows.runCreateDialog();
  return false;
}
