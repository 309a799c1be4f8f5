#include "store/Module1.h"

#include "store/ArchiveOnDisk.h"

namespace Module1 {

void Reset() {
  for (auto &row : VaultTable) row.fill(std::string());
  ColumnTitles.fill(std::string());
  RowCount = ColumnCount = 0;
  AppFolder.clear();
  HintText.clear();
  LoginPasswordText.clear();
  EditPasswordText.clear();
  DisplayLevel = EditMode = SizeToggle = FailedTries = 0;
  ActiveRow = ActiveColumn = 0;
  store::ForgetArchive();
}

}  // namespace Module1
