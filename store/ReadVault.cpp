#include <memory>

#include "store/ArchiveReader.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/Vault.h"

int16_t ReadVault() {
  using namespace Module1;
  const std::string path = VaultPath();
  // The read starts from the table as it is: what the file does not reach
  // stays. Swapped, not copied, in and out.
  auto image = std::make_unique<store::ArchiveImage>();
  image->rows = RowCount;
  image->columns = ColumnCount;
  image->titles.swap(ColumnTitles);
  image->table.swap(VaultTable);
  const store::ArchiveCheck check = store::ReadArchive(path, *image);
  const bool read = check.verdict == store::Verdict::kWhole || check.verdict == store::Verdict::kEmpty ||
                    check.verdict == store::Verdict::kHeaderOnly;
  if (!read) {
    // As in place: the table may hold part of the file, and the program ends.
    image->titles.swap(ColumnTitles);
    image->table.swap(VaultTable);
  }
  switch (check.verdict) {
    case store::Verdict::kCannotOpen:
      store::ShowCanNotOpen(path, check.reason);
      return 0;
    case store::Verdict::kLibraryMissing:
      store::ShowLibraryMissing(path, check.reason);
      return 0;
    case store::Verdict::kCorrupted:
      for (int i = 0; i < kMaxFileRows; ++i) VaultTable[i][0].clear();
      store::ShowCorrupted(path, check.reason);
      return 0;
    case store::Verdict::kEmpty:
    case store::Verdict::kHeaderOnly:
    case store::Verdict::kWhole:
      break;
  }
  RowCount = image->rows;
  ColumnCount = image->columns;
  ColumnTitles.swap(image->titles);
  VaultTable.swap(image->table);
  LoadCredentials();
  VaultTable[0][ColumnCount + 1] = HintText;
  if (check.verdict != store::Verdict::kWhole) {
    store::ReportNothingToOpen(path, check.reason);
    return 0;
  }
  store::RememberArchive(path, image->fingerprint);
  return static_cast<int16_t>(image->records);
}
