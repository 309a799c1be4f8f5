#include "mainwindow/GridProcedures.h"

#include <algorithm>
#include <map>
#include <set>

#include "controls/VaSpread.h"
#include "mainwindow/GridRules.h"
#include "runtime/MessageBox.h"
#include "store/Module1.h"
#include "store/Vault.h"

bool IsMasked(int column) {
  using Module1::DisplayLevel;
  return DisplayLevel == 0 || (DisplayLevel == 1 && column != 1);
}

void FillGrid(controls::VaSpread &grid) {
  using namespace Module1;
  grid.setRowHeight(-1, 14.5);
  grid.setColWidth(-1, 15.0);
  grid.SetText(0, 0, ToCellText(QStringLiteral("Item")));
  // The table has fields 0..10 whatever the count says.
  const int columns = std::clamp<int>(ColumnCount, 0, kTableFields - 1);
  for (int c = 1; c <= columns; ++c) grid.SetText(c, 0, ToCellText(QString::fromStdString(ColumnTitles[c])));
  ClearRows(grid, 1, RowCount);
  // Every record the archive holds is shown, an unnamed one as a row without
  // a name: the rows after it must not drop out of sight, nor out of Save.
  const int rows = std::clamp<int>(RowCount, 0, kTableRows);
  for (int r = 0; r < rows; ++r) {
    const Row &row = VaultTable[r];
    grid.SetText(0, r + 1, ToCellText(QString::fromStdString(row[0])));
    for (int c = 1; c <= columns; ++c) {
      // The mask itself goes into the grid: a masked cell never holds the value.
      grid.SetText(c, r + 1,
                   ToCellText(IsMasked(c) ? QString::fromLatin1(kMask) : QString::fromStdString(row[c])));
    }
  }
}

QString GetCellText(controls::VaSpread &grid, int32_t &row, int32_t &column) {
  QString value;
  if (!grid.GetText(column, row, value)) return QString();
  return value;
}

QString ToCellText(const QVariant &value) {
  if (!value.isValid()) return QString();
  switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return value.toString().trimmed();
    case QMetaType::Float:
      return QString::number(value.toFloat(), 'g', 7).trimmed();
    case QMetaType::Double:
      return QString::number(value.toDouble(), 'g', 15).trimmed();
    default:
      return value.toString();
  }
}

void ClearRows(controls::VaSpread &grid, int32_t first, int16_t count) {
  grid.setRow(first);
  grid.setCol(0);
  grid.setRow2(first + count - 1);
  grid.setCol2(grid.maxCols());
  grid.setBlockMode(true);
  grid.setAction(controls::VaSpread::kActionClearText);
  grid.setBlockMode(false);
}

namespace {

// The bytes a cell stands for. An untouched cell shows the table's value as
// decoded; its bytes are taken back as they were, so values that are not
// valid UTF-8 survive a save. Rows may have moved, so a value is also found
// elsewhere in the table when only one stored text shows that way.
class StoredBytes {
 public:
  StoredBytes() {
    using namespace Module1;
    const int rows = std::clamp<int>(RowCount, 0, kTableRows);
    for (int r = 0; r < rows; ++r)
      for (const std::string &value : VaultTable[r]) {
        const QString shown = QString::fromStdString(value);
        if (shown.toStdString() == value) continue;  // valid UTF-8 comes back by itself
        auto [it, fresh] = elsewhere_.emplace(shown, value);
        if (!fresh && it->second != value) ambiguous_.insert(shown);
      }
  }
  std::string Of(const QString &text, int row, int column) const {
    using namespace Module1;
    if (row >= 1 && row <= std::min<int>(RowCount, kTableRows) && column >= 0 && column < kTableFields) {
      const std::string &stored = VaultTable[row - 1][column];
      if (QString::fromStdString(stored) == text) return stored;
    }
    const auto it = elsewhere_.find(text);
    if (it != elsewhere_.end() && !ambiguous_.contains(text)) return it->second;
    return text.toStdString();
  }

 private:
  std::map<QString, std::string> elsewhere_;
  std::set<QString> ambiguous_;
};

}  // namespace

std::vector<store::Record> ReadEntries(controls::VaSpread &grid) {
  using namespace Module1;
  const int columns = std::clamp<int>(ColumnCount, 0, kTableFields - 1);
  const StoredBytes stored;
  std::vector<store::Record> records;
  for (int row = 1; row <= grid.maxRows(); ++row) {
    store::Record record{row, {}};
    bool empty = true;
    for (int c = 0; c <= columns; ++c) {
      QString text;
      grid.GetText(c, row, text);  // empties text when the cell holds none
      empty = empty && text.isEmpty();
      record.fields.push_back(stored.Of(text, row, c));
    }
    if (!empty) records.push_back(std::move(record));
  }
  return records;
}

int16_t CollectGrid(controls::VaSpread &grid) {
  using namespace Module1;
  const auto records = ReadEntries(grid);
  auto refuse = [](const store::Refusal &refusal) {
    runtime::MsgBox(refusal.Text(), runtime::kStyleCritical, grid_rules::kSaveCaption);
    return int16_t(0);
  };
  // An archive of no rows opens no window at the next start.
  if (records.empty()) return refuse(grid_rules::kNothingToSave);
  for (const store::Record &record : records)
    if (record.fields[0].empty()) return refuse(grid_rules::UnnamedRow(record.row));
  if (const auto refusal = store::ArchiveRefusal(store::TableTitles(), HintText, records)) return refuse(*refusal);
  const store::Credentials credentials = store::CredentialsOf(records);
  if (credentials.found) {
    if (const auto refusal = store::CredentialsRefusal(credentials, ColumnCount))
      return refuse(*refusal);
  } else if (runtime::MsgBox(grid_rules::kNoCredentialsQuestion, runtime::kStyleCriticalOkCancel,
                             grid_rules::kSaveCaption) != runtime::kAnswerOk) {
    return -1;
  }
  const auto count = static_cast<int16_t>(records.size());  // at most an archive's 99 rows
  for (int i = 0; i < count; ++i)
    for (size_t c = 0; c < records[i].fields.size(); ++c) VaultTable[i][c] = records[i].fields[c];
  // Nothing of a row the archive no longer holds stays behind.
  for (int i = count; i < kTableRows; ++i) VaultTable[i].fill(std::string());
  return count;
}

bool SaveGrid(controls::VaSpread &grid) {
  using namespace Module1;
  for (int c = 1; c <= ColumnCount; ++c)
    if (IsMasked(c)) return false;
  // What is being typed is part of what the owner saves.
  grid.FinishEditing();
  const auto table = VaultTable;
  const int16_t rowCount = RowCount;
  const int16_t n = CollectGrid(grid);
  if (n <= 0) return false;
  RowCount = n;
  if (!WriteVault()) {
    VaultTable = table;
    RowCount = rowCount;
    return false;
  }
  // The current row stays on its item as the blank rows above it go: a
  // Delete or a new name after Save must reach the row the owner sees.
  int cursorRow = grid.activeRow();
  for (int row = grid.maxRows(); row >= 1; --row) {
    bool empty = true;
    for (int c = 0; c <= grid.maxCols() && empty; ++c) {
      QString text;
      empty = !grid.GetText(c, row, text);
    }
    if (!empty) continue;
    grid.setRow(row);
    grid.setAction(controls::VaSpread::kActionDeleteRow);
    grid.setMaxRows(grid.maxRows() - 1);
    if (row < cursorRow) --cursorRow;
    if (row < ActiveRow) --ActiveRow;
  }
  if (cursorRow != grid.activeRow()) grid.SetActiveCell(grid.activeCol(), cursorRow);
  return true;
}

QStringList GridContents(controls::VaSpread &grid) {
  QStringList texts{QString::number(grid.maxRows()), QString::number(grid.maxCols())};
  // A cell still being typed into holds what the editor holds.
  int editorCol = -1, editorRow = -1;
  QString typed;
  grid.EditorText(editorCol, editorRow, typed);
  for (int row = 1; row <= grid.maxRows(); ++row)
    for (int c = 0; c <= grid.maxCols(); ++c) {
      QString text;
      grid.GetText(c, row, text);
      texts << (c == editorCol && row == editorRow ? typed : text);
    }
  return texts;
}
