// What "Save" of the creation dialog decides before any window is involved:
// the count fields' ranges, the refusals, and the table of a new vault.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/RecordRules.h"

namespace createdialog {

using store::CountLimits;
inline constexpr CountLimits kRowLimits = store::kNewVaultRows;
inline constexpr CountLimits kColumnLimits = store::kNewVaultColumns;

// The text a count field holds once confirmed: as typed when its value lies
// within the limits, else the limit it crossed. A value too large for 16 bits
// crosses the upper limit, a negative one the lower.
std::string ConfirmedCountText(const std::string &text, CountLimits limits);

// The count a field stands for once confirmed, always within the limits.
int16_t ConfirmedCount(const std::string &text, CountLimits limits);

using store::CredentialsRefusal;
using store::TrimBlanks;
using SaveError = store::Refusal;

struct NewVault {
  int16_t rows = 0;     // within kRowLimits
  int16_t columns = 0;  // within kColumnLimits, one title each
  std::string login;
  std::string edit;
  std::string hint;
  std::vector<std::string> titles;  // columns 1 to columns, in order
};

// A text the archive cannot hold: a comma or a line break in a password, the
// hint or a title, or a credentials record too long to be scrambled.
std::optional<SaveError> StorageRefusal(const NewVault &vault);

// The records of the new vault, as BuildNewVault puts them in the table.
std::vector<store::Record> NewVaultRecords(const NewVault &vault);

// Asked before a new vault turns the archive at path into "Vantry1.csv".
std::string ReplacingArchiveQuestion(const std::string &path);

// Fills the shared table: counts, titles, the rows "New1" ..., and the
// credentials row second to last. The credential texts are taken as given.
void BuildNewVault(const NewVault &vault);

}  // namespace createdialog
