// Procedures that show the vault table in a grid and read it back.
#pragma once
#include <QString>
#include <QVariant>
#include <cstdint>
#include <string>
#include <vector>

namespace controls {
class VaSpread;
}

// Writes titles, item names and values into the grid, masking by
// DisplayLevel; the grid must already have its row and column counts.
void FillGrid(controls::VaSpread &grid);

// The text of a cell, "" when it holds none.
QString GetCellText(controls::VaSpread &grid, int32_t &row, int32_t &column);

// Numbers as trimmed text, empty values as "", anything else unchanged.
QString ToCellText(const QVariant &value);

// Empties count rows from first on, item names included.
void ClearRows(controls::VaSpread &grid, int32_t first, int16_t count);

// The list Save takes: grid rows from 1 down to the last one before the
// first without an item name, at most an archive's worth. Each entry is the
// item name, then columns 1..ColumnCount ("" where a cell holds no text).
std::vector<std::vector<std::string>> ReadEntries(controls::VaSpread &grid);

// Collects the list into VaultTable and clears the item name of the row
// after it, so that the table ends where the list does. Asks before saving
// without the "LoginPassword" row. The number of rows collected, -1 when the
// user declined; 0, with the table untouched and nothing asked, when the
// first row has no item name.
int16_t CollectGrid(controls::VaSpread &grid);

// Whether DisplayLevel hides column c.
bool IsMasked(int column);

// What a masked cell shows.
inline constexpr char kMask[] = "********";
