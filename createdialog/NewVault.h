// What "Save" of the creation dialog decides before any window is involved:
// the count fields' ranges, the refusals, and the table of a new vault.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace createdialog {

struct CountLimits {
  int16_t lower;
  int16_t upper;
};

inline constexpr CountLimits kRowLimits{7, 32};
inline constexpr CountLimits kColumnLimits{3, 7};

// The text a count field holds once confirmed: as typed when its value lies
// within the limits, else the limit it crossed. A value too large for 16 bits
// crosses the upper limit, a negative one the lower.
std::string ConfirmedCountText(const std::string &text, CountLimits limits);

// The count a field stands for once confirmed, always within the limits.
int16_t ConfirmedCount(const std::string &text, CountLimits limits);

// Leading and trailing blanks removed.
std::string TrimBlanks(std::string_view text);

// The two lines of a refusal.
struct SaveError {
  std::string first;
  std::string second;
};

// The credential checks, in their order: both passwords set, all three differ.
std::optional<SaveError> CredentialsRefusal(const std::string &login, const std::string &edit,
                                            const std::string &hint);

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

// Fills the shared table: counts, titles, the rows "New1" ..., and the
// credentials row second to last. The credential texts are taken as given.
void BuildNewVault(const NewVault &vault);

}  // namespace createdialog
