#include "mainwindow/GridProcedures.h"

#include <algorithm>

#include "controls/VaSpread.h"
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
