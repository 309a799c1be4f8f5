#include "mainwindow/GridRules.h"

namespace grid_rules {

bool CanInsert(int activeRow, int rows) {
  const auto r = static_cast<int16_t>(activeRow);
  return r >= 1 && r <= rows && r + 1 < 99 && rows < kMaxGridRows;
}

bool CanDelete(int activeRow, int rows) { return rows > 2 && activeRow >= 1 && activeRow <= rows; }

bool IsRowHeader(int col, int row, int rows) { return col == 0 && row >= 1 && row <= rows; }

bool CanOpenRow(int row, int rows) { return row >= 1 && row <= rows && rows < kMaxGridRows; }

bool CanRemoveRow(int row, int rows) { return row >= 1 && row <= rows; }

store::Refusal UnnamedRow(int row) {
  return {"Row " + std::to_string(row) + " has no item name.", "Name it or remove it first."};
}

}  // namespace grid_rules
