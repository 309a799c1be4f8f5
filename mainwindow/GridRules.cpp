#include "mainwindow/GridRules.h"

#include "store/ArchiveFormat.h"

namespace grid_rules {

namespace {

std::string RowName(size_t index, const Entry &entry) {
  return "row " + std::to_string(index + 1) + " (" + entry[0] + ")";
}

std::string ColumnName(size_t c, const std::array<std::string, Module1::kTableFields> &titles) {
  if (c == 0) return "the item name";
  return "column " + std::to_string(c) + (c < titles.size() ? " (" + titles[c] + ")" : std::string());
}

}  // namespace

bool CanInsert(int activeRow, int rows) {
  const auto r = static_cast<int16_t>(activeRow);
  return r >= 1 && r <= rows && r + 1 < 99 && rows < kMaxGridRows;
}

bool CanDelete(int activeRow, int rows) { return rows > 2 && activeRow >= 1 && activeRow <= rows; }

bool CanOpenRow(int row, int rows) { return row >= 1 && row <= rows && rows < kMaxGridRows; }

bool CanRemoveRow(int row, int rows) { return row >= 1 && row <= rows; }

std::string Refusal(const std::vector<Entry> &entries, const std::string &hintText,
                    const std::array<std::string, Module1::kTableFields> &titles) {
  const std::string prefix = "Can not save: ";
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry &entry = entries[i];
    size_t bytes = 0;
    for (size_t c = 0; c < entry.size(); ++c) {
      if (store::BreaksFormat(entry[c]))
        return prefix + RowName(i, entry) + ", " + ColumnName(c, titles) +
               " holds a comma, a line break or a NUL character.";
      bytes += entry[c].size() + 1;  // the comma after it
    }
    bytes += i == 0 ? hintText.size() : entries[i - 1][0].size();
    if (bytes > store::kMaxPlainRecord)
      return prefix + RowName(i, entry) + " is too long: at most " + std::to_string(store::kMaxPlainRecord) +
             " bytes fit in one record.";
  }
  return std::string();
}

}  // namespace grid_rules
