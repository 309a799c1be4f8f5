#include "createdialog/NewVault.h"

#include <array>

#include "runtime/NumberValue.h"
#include "store/ArchiveFormat.h"
#include "store/Module1.h"

namespace createdialog {
namespace {

using store::kMaxPlainRecord;
const std::string kCredentialsName = "LoginPassword";
const std::string kDifferent = "異なるパスワードを設定してください。";

// The fields as their labels name them.
const std::string kLoginName = "ログインパスワード";
const std::string kEditName = "編集パスワード";
const std::string kHintName = "パスワード連想言葉";
const std::array<std::string, 7> kTitleNames = {
    "第１列項目名", "第２列項目名", "第３列項目名", "第４列項目名",
    "第５列項目名", "第６列項目名", "第７列項目名",
};

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

std::optional<SaveError> SeparatorIn(const std::string &value, const std::string &name) {
  if (value.find(',') != std::string::npos)
    return SaveError{name + "にカンマ（,）が含まれています。", "カンマ（,）を使わずに設定してください。"};
  if (value.find_first_of("\r\n") != std::string::npos)
    return SaveError{name + "に改行が含まれています。", "改行を使わずに設定してください。"};
  return std::nullopt;
}

Module1::Row CredentialsRow(const NewVault &vault) {
  Module1::Row row;
  row[0] = kCredentialsName;
  row[1] = vault.hint;
  row[2] = vault.login;
  row[3] = vault.edit;
  row[4] = kCredentialsName;
  row[5] = "EditPassword";
  return row;
}

std::string ItemName(int row) { return "New" + std::to_string(row + 1); }

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

std::string TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::optional<SaveError> CredentialsRefusal(const std::string &login, const std::string &edit,
                                            const std::string &hint) {
  if (login.empty()) return SaveError{"ログインパスワードが設定されていません。", ""};
  if (edit.empty()) return SaveError{"編集パスワードが設定されていません。", ""};
  if (edit == login) return SaveError{"ログインパスワードと編集パスワードが同じです。", kDifferent};
  if (hint == login) return SaveError{"ログインパスワードと連想言葉が同じです。", kDifferent};
  if (edit == hint) return SaveError{"編集パスワードと連想言葉が同じです。", kDifferent};
  return std::nullopt;
}

std::optional<SaveError> StorageRefusal(const NewVault &vault) {
  if (auto e = SeparatorIn(vault.login, kLoginName)) return e;
  if (auto e = SeparatorIn(vault.edit, kEditName)) return e;
  if (auto e = SeparatorIn(vault.hint, kHintName)) return e;
  for (size_t i = 0; i < vault.titles.size() && i < kTitleNames.size(); ++i)
    if (auto e = SeparatorIn(vault.titles[i], kTitleNames[i])) return e;

  // The credentials record is the longest one: its fields, the commas and
  // the chain value, the item name of the row above it.
  const Module1::Row row = CredentialsRow(vault);
  size_t size = ItemName(vault.rows - 3).size();
  for (int c = 0; c <= vault.columns; ++c) size += row[c].size() + 1;
  if (size > kMaxPlainRecord) {
    const size_t typed = vault.login.size() + vault.edit.size() + vault.hint.size();
    const size_t room = kMaxPlainRecord - (size - typed);
    return SaveError{kLoginName + "、" + kEditName + "と連想言葉が長すぎます。",
                     "合わせて" + std::to_string(room) + "バイト以内で設定してください。"};
  }
  return std::nullopt;
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
