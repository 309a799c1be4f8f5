// The rules every path that writes an archive applies, each with its one
// message: what a record can hold, the credentials, and the count limits.
// Save in the main window, the creation dialog and the writer all ask here.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ArchiveFormat.h"
#include "store/Module1.h"

namespace store {

// The counts the creation dialog offers; a new vault always fits an archive.
struct CountLimits {
  int16_t lower;
  int16_t upper;
};
inline constexpr CountLimits kNewVaultRows{7, 32};
inline constexpr CountLimits kNewVaultColumns{3, 7};
static_assert(kNewVaultRows.upper <= Module1::kMaxFileRows && kNewVaultRows.lower >= 2,
              "the credentials row is second to last and every row is a record");
static_assert(kNewVaultColumns.upper <= Module1::kMaxFileColumns && kNewVaultColumns.lower >= 3,
              "hint and both passwords are columns 1 to 3");

// The item name of the credentials row.
inline const std::string kCredentialsName = "LoginPassword";

// A refusal: two lines, the second may be empty.
struct Refusal {
  std::string first;
  std::string second;
  std::string Text() const { return second.empty() ? first : first + "\r\n" + second; }
};

// Leading and trailing blanks removed.
std::string TrimBlanks(std::string_view text);

// The credential rules, in their order, on the texts with blanks trimmed:
// both passwords set, and login password, edit password and hint all differ.
std::optional<Refusal> CredentialsRefusal(const std::string &login, const std::string &edit,
                                          const std::string &hint);

// The credentials a start takes from these records: every "LoginPassword"
// row counts, a later one overriding, its hint even when empty, its
// passwords where set (empty where no row gives one; LoadCredentials then
// puts the built-in ones in force).
struct Credentials {
  bool found = false;
  std::string hint;
  std::string login;
  std::string edit;
};

// One record as it will be written: the item name, then the values of
// columns 1 to ColumnCount. row is where the owner sees it, from 1.
struct Record {
  int row = 0;
  std::vector<std::string> fields;
};

Credentials CredentialsOf(const std::vector<Record> &records);

// The credential rules on records of columns 1 to columns: the hint word is
// column 1, the login password column 2, the edit password column 3. A rule
// about a credential past the last column is not applied: the owner can
// neither see nor set it there, and the next start takes it as before.
std::optional<Refusal> CredentialsRefusal(const Credentials &credentials, int columns);

// What a text must not hold, as said of where it stands ("The hint word").
Refusal HoldsSeparator(const std::string &where);

// Why these records cannot make an archive, naming the first place at fault:
// too many rows or columns, a separator in a title, the hint word or a
// field, or a record too long for the cipher (its chain
// value counted: the hint word for the first, the item name before it for
// the others). titles are those of columns 1 to n.
std::optional<Refusal> ArchiveRefusal(const std::vector<std::string> &titles, const std::string &hint,
                                      const std::vector<Record> &records);

// Titles 1 to ColumnCount of the shared table.
std::vector<std::string> TableTitles();

// ArchiveRefusal of the shared table as WriteVault would write it: rows 0
// to RowCount - 1, titles 1 to ColumnCount, HintText.
std::optional<Refusal> TableRefusal();

}  // namespace store
