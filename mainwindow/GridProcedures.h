// Procedures that show the vault table in a grid and read it back.
#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <string>
#include <vector>

#include "store/RecordRules.h"

namespace controls {
class VaSpread;
}

// Writes titles, item names and values of table rows 0 to RowCount - 1
// into the grid, masking by DisplayLevel; the grid must already have its row
// and column counts.
void FillGrid(controls::VaSpread &grid);

// The text of a cell, "" when it holds none.
QString GetCellText(controls::VaSpread &grid, int32_t &row, int32_t &column);

// Numbers as trimmed text, empty values as "", anything else unchanged.
QString ToCellText(const QVariant &value);

// Empties count rows from first on, item names included.
void ClearRows(controls::VaSpread &grid, int32_t first, int16_t count);

// The records Save takes: every grid row with an item name or a value, in
// order, each the item name, then columns 1..ColumnCount ("" where a cell
// holds no text); wholly empty rows are left out. A cell the owner did not
// change keeps the table's bytes, even those that are not valid UTF-8.
std::vector<store::Record> ReadEntries(controls::VaSpread &grid);

// Collects the grid into VaultTable once it can be written: refuses, with a
// message naming the place, what an archive cannot hold (an unnamed row
// that holds values among them) and credentials the next start could not
// work with, and asks before saving without the "LoginPassword" row. Only
// then are the rows put in the table, and every table row after them
// cleared. The number of rows collected; 0 after a refusal, -1 when the
// user declined; the table is untouched in both.
int16_t CollectGrid(controls::VaSpread &grid);

// Save: CollectGrid, then the archive, an open edit included. On a failed
// write the table is put back as it was. Once written, wholly empty rows
// leave the grid, so grid row r shows table row r - 1 again; the grid's
// cursor and ActiveRow stay on the item they were on. True when the archive
// now holds the grid. Nothing happens while a column is masked.
bool SaveGrid(controls::VaSpread &grid);

// The data the owner can change in the grid: its rows, with item names and
// values, the header row left out, and what an open cell editor holds. Two
// snapshots differ when there are unsaved changes.
QStringList GridContents(controls::VaSpread &grid);

// Whether DisplayLevel hides column c.
bool IsMasked(int column);

// What a masked cell shows.
inline constexpr char kMask[] = "********";
