#include "store/RecordRules.h"

#include <algorithm>

namespace store {
namespace {

const std::string kDifferent = "異なるパスワードを設定してください。";

// Where the credentials row holds each credential.
constexpr int kHintColumn = 1;
constexpr int kLoginColumn = 2;
constexpr int kEditColumn = 3;

std::string RowName(const Record &record) {
  const std::string &name = record.fields.empty() ? std::string() : record.fields[0];
  return "Row " + std::to_string(record.row) + (name.empty() ? "" : " (" + name + ")");
}

std::string ColumnName(size_t c, const std::vector<std::string> &titles) {
  if (c == 0) return "the item name";
  return "column " + std::to_string(c) + (c <= titles.size() ? " (" + titles[c - 1] + ")" : std::string());
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::optional<Refusal> CredentialsRefusal(const std::string &loginText, const std::string &editText,
                                          const std::string &hintText) {
  return CredentialsRefusal(Credentials{true, hintText, loginText, editText}, kEditColumn);
}

std::optional<Refusal> CredentialsRefusal(const Credentials &credentials, int columns) {
  const std::string login = TrimBlanks(credentials.login), edit = TrimBlanks(credentials.edit),
                    hint = TrimBlanks(credentials.hint);
  const bool hasHint = columns >= kHintColumn, hasLogin = columns >= kLoginColumn, hasEdit = columns >= kEditColumn;
  if (hasLogin && login.empty()) return Refusal{"ログインパスワードが設定されていません。", ""};
  if (hasEdit && edit.empty()) return Refusal{"編集パスワードが設定されていません。", ""};
  if (hasLogin && hasEdit && edit == login)
    return Refusal{"ログインパスワードと編集パスワードが同じです。", kDifferent};
  if (hasHint && hasLogin && hint == login) return Refusal{"ログインパスワードと連想言葉が同じです。", kDifferent};
  if (hasHint && hasEdit && edit == hint) return Refusal{"編集パスワードと連想言葉が同じです。", kDifferent};
  return std::nullopt;
}

Credentials CredentialsOf(const std::vector<Record> &records) {
  Credentials found;
  auto field = [](const Record &r, size_t f) { return f < r.fields.size() ? r.fields[f] : std::string(); };
  for (const Record &record : records) {
    if (field(record, 0) != kCredentialsName) continue;
    found.found = true;
    found.hint = field(record, 1);
    if (!field(record, 2).empty()) found.login = field(record, 2);
    if (!field(record, 3).empty()) found.edit = field(record, 3);
  }
  return found;
}

Refusal HoldsSeparator(const std::string &where) {
  return Refusal{where + " holds a comma, a line break or a NUL character.", ""};
}

std::optional<Refusal> ArchiveRefusal(const std::vector<std::string> &titles, const std::string &hint,
                                      const std::vector<Record> &records) {
  if (records.size() > static_cast<size_t>(Module1::kMaxFileRows) ||
      titles.size() > static_cast<size_t>(Module1::kMaxFileColumns))
    return Refusal{"The table is larger than an archive can hold: at most " +
                       std::to_string(Module1::kMaxFileRows) + " rows and " +
                       std::to_string(Module1::kMaxFileColumns) + " columns.",
                   ""};
  for (size_t c = 0; c < titles.size(); ++c)
    if (BreaksFormat(titles[c])) return HoldsSeparator("The title of column " + std::to_string(c + 1));
  size_t header = std::to_string(records.size()).size() + 1 + std::to_string(titles.size()).size();
  for (const std::string &title : titles) header += 1 + title.size();
  if (header > kMaxHeaderLine)
    return Refusal{"The column titles are too long: the header line of an archive holds at most " +
                       std::to_string(kMaxHeaderLine) + " bytes.",
                   ""};
  if (BreaksFormat(hint)) return HoldsSeparator("The hint word");
  for (size_t i = 0; i < records.size(); ++i) {
    const Record &record = records[i];
    size_t bytes = 0;
    for (size_t c = 0; c < record.fields.size(); ++c) {
      if (BreaksFormat(record.fields[c])) return HoldsSeparator(RowName(record) + ", " + ColumnName(c, titles));
      bytes += record.fields[c].size() + 1;  // the comma after it
    }
    bytes += i == 0 ? hint.size() : records[i - 1].fields[0].size();
    if (bytes > kMaxPlainRecord)
      return Refusal{RowName(record) + " is too long: at most " + std::to_string(kMaxPlainRecord) +
                         " bytes fit in one record.",
                     ""};
  }
  return std::nullopt;
}

std::vector<std::string> TableTitles() {
  using namespace Module1;
  const int columns = std::clamp<int>(ColumnCount, 0, kTableFields - 1);
  return std::vector<std::string>(ColumnTitles.begin() + 1, ColumnTitles.begin() + 1 + columns);
}

std::optional<Refusal> TableRefusal() {
  using namespace Module1;
  if (RowCount < 0 || ColumnCount < 0 || RowCount > kMaxFileRows || ColumnCount > kMaxFileColumns)
    return ArchiveRefusal(std::vector<std::string>(kTableFields), HintText, {});
  const std::vector<std::string> titles = TableTitles();
  std::vector<Record> records;
  for (int r = 0; r < RowCount; ++r)
    records.push_back({r + 1, std::vector<std::string>(VaultTable[r].begin(), VaultTable[r].begin() + 1 + ColumnCount)});
  return ArchiveRefusal(titles, HintText, records);
}

}  // namespace store
