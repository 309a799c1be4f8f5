// Procedures that show the vault table in a grid and read it back.
#pragma once
#include <QString>
#include <QVariant>
#include <cstdint>

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

// Whether DisplayLevel hides column c.
bool IsMasked(int column);

// What a masked cell shows.
inline constexpr char kMask[] = "********";
