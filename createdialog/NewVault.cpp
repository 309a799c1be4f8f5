#include "createdialog/NewVault.h"

#include <array>

#include "runtime/NumberValue.h"
#include "store/ArchiveFormat.h"
#include "store/Module1.h"

namespace createdialog {
namespace {

Module1::Row CredentialsRow(const NewVault &vault) {
  Module1::Row row;
  row[0] = store::kCredentialsName;
  row[1] = vault.hint;
  row[2] = vault.login;
  row[3] = vault.edit;
  row[4] = store::kCredentialsName;
  row[5] = "EditPassword";
  return row;
}

std::string ItemName(int row) { return "New" + std::to_string(row + 1); }

// The sign of a number too large for 16 bits, read past the ignored blanks.
bool LooksNegative(const std::string &text) {
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    return c == '-';
  }
  return false;
}

// The value a count field stands for, before it is brought into range.
int RawCount(const std::string &text, CountLimits limits) {
  const runtime::NumericValue v = runtime::NumericValueOf(text);
  if (!v.fits) return LooksNegative(text) ? limits.lower - 1 : limits.upper + 1;
  return v.value;
}

}  // namespace

std::string ConfirmedCountText(const std::string &text, CountLimits limits) {
  const int n = RawCount(text, limits);
  if (n < limits.lower) return std::to_string(limits.lower);
  if (n > limits.upper) return std::to_string(limits.upper);
  return text;
}

int16_t ConfirmedCount(const std::string &text, CountLimits limits) {
  const int n = RawCount(text, limits);
  if (n < limits.lower) return limits.lower;
  if (n > limits.upper) return limits.upper;
  return static_cast<int16_t>(n);
}

std::vector<store::Record> NewVaultRecords(const NewVault &vault) {
  std::vector<store::Record> records;
  const Module1::Row credentials = CredentialsRow(vault);
  for (int r = 0; r < vault.rows; ++r) {
    store::Record record{r + 1, std::vector<std::string>(static_cast<size_t>(vault.columns) + 1)};
    record.fields[0] = ItemName(r);
    if (r == vault.rows - 2)
      for (int c = 0; c <= vault.columns && c < Module1::kTableFields; ++c) record.fields[c] = credentials[c];
    records.push_back(std::move(record));
  }
  return records;
}

std::optional<SaveError> StorageRefusal(const NewVault &vault) {
  // The passwords first, named as the owner typed them; the hint, the
  // titles and the record lengths by the archive's own rules.
  if (store::BreaksFormat(vault.login)) return store::HoldsSeparator("The login password");
  if (store::BreaksFormat(vault.edit)) return store::HoldsSeparator("The edit password");
  return store::ArchiveRefusal(vault.titles, vault.hint, NewVaultRecords(vault));
}

std::string ReplacingArchiveQuestion(const std::string &path) {
  return "This folder already holds a vault:\r\n" + path +
         "\r\nSaving a new vault makes it the backup \"Vantry1.csv\". Save anyway?";
}

void BuildNewVault(const NewVault &vault) {
  using namespace Module1;
  LoginPasswordText = vault.login;
  EditPasswordText = vault.edit;
  HintText = vault.hint;
  RowCount = vault.rows;
  ColumnCount = vault.columns;
  for (int c = 1; c <= vault.columns; ++c)
    ColumnTitles[c] = static_cast<size_t>(c - 1) < vault.titles.size() ? vault.titles[c - 1] : "";
  for (int r = 0; r < vault.rows; ++r) {
    VaultTable[r].fill(std::string());
    VaultTable[r][0] = ItemName(r);
  }
  VaultTable[vault.rows - 2] = CredentialsRow(vault);
}

}  // namespace createdialog
