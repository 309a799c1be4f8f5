// Rules of the grid as the working copy of the vault: how far it may grow,
// where rows can be inserted and removed, and what Save can store.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "store/Messages.h"
#include "store/Module1.h"
#include "store/RecordRules.h"

namespace grid_rules {

// The grid holds no more rows than an archive can, so Save never collects
// more than the reader takes back.
inline constexpr int kMaxGridRows = Module1::kMaxFileRows;

// Grid rows are 1..rows; row 0 is the column-header row and never moves.
// Insert: a new row at the active row; refused from row 98 on.
bool CanInsert(int activeRow, int rows);
// Delete: removes the active row; never below 2 rows.
bool CanDelete(int activeRow, int rows);
// Insert and Delete act on a pick of a row header of a grid row; on the
// corner, a column header or past the last row they have nothing to act on.
bool IsRowHeader(int col, int row, int rows);
// The cell-activate event: a blank row above a named row.
bool CanOpenRow(int row, int rows);
// The cell-activate event: an unnamed row goes.
bool CanRemoveRow(int row, int rows);

// The caption of every message of Save, the store's own included.
inline const std::string &kSaveCaption = store::kCaptionSave;
// Asked when the grid has no credentials row.
inline const std::string kNoCredentialsQuestion =
    "[LoginPassword]がありません。このまま保存終了すると、次回このファイルが開けなくなります。このまま保存しますか？";

// Asked on closing the window while the grid holds unsaved changes.
inline const std::string kUnsavedQuestion =
    "The grid holds changes that are not saved.\r\nSave them before closing?";

// A row with values but no item name: the display ends at such a row, so
// Save does not write it.
store::Refusal UnnamedRow(int row);

// Save finds no row to write.
inline const store::Refusal kNothingToSave{"The grid holds no named row: there is nothing to save.", ""};

}  // namespace grid_rules
