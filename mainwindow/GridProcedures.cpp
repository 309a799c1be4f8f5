#include "mainwindow/GridProcedures.h"

#include <algorithm>

#include "controls/VaSpread.h"
#include "mainwindow/GridRules.h"
#include "runtime/MessageBox.h"
#include "store/Module1.h"

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
  const int lastRow = std::min<int>(RowCount, kTableRows - 1);
  for (int r = 0; r <= lastRow; ++r) {
    const Row &row = VaultTable[r];
    if (row[0].empty()) break;
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

std::vector<std::vector<std::string>> ReadEntries(controls::VaSpread &grid) {
  using namespace Module1;
  const int columns = std::clamp<int>(ColumnCount, 0, kTableFields - 1);
  std::vector<std::vector<std::string>> entries;
  for (int row = 1; row <= grid_rules::kMaxGridRows; ++row) {
    QString text;
    if (!grid.GetText(0, row, text)) break;
    std::vector<std::string> entry{text.toStdString()};
    for (int c = 1; c <= columns; ++c) {
      grid.GetText(c, row, text);  // empties text when the cell holds none
      entry.push_back(text.toStdString());
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

static_assert(grid_rules::kMaxGridRows < Module1::kTableRows, "the row after the list must be a table row");

int16_t CollectGrid(controls::VaSpread &grid) {
  using namespace Module1;
  const auto entries = ReadEntries(grid);
  const auto count = static_cast<int16_t>(entries.size());
  // With nothing to collect nothing is saved, so there is nothing to ask;
  // and the table stays as it is: clearing its first item name would leave
  // the next Display with an empty grid.
  if (count == 0) return 0;
  bool found = false;
  for (int i = 0; i < count; ++i) {
    const auto &entry = entries[i];
    found = found || entry[0] == "LoginPassword";
    for (size_t c = 0; c < entry.size(); ++c) VaultTable[i][c] = entry[c];
  }
  VaultTable[count][0].clear();  // count <= 99: always a table row
  if (!found &&
      runtime::MsgBox(grid_rules::kNoCredentialsQuestion, runtime::kStyleCriticalOkCancel,
                      grid_rules::kSaveCaption) != runtime::kAnswerOk)
    return -1;
  return count;
}
