// The spreadsheet grid of the main window: the operations the program uses
// and its two events, on Qt's item views.
//
// Coordinates are the sheet's own: row 0 is the column-header row (the corner
// at column 0 and the titles), column 0 the row-header column (item names),
// data cells are rows 1..maxRows() x columns 1..maxCols(). Headers are
// written and read with SetText / GetText like any cell, but are never typed
// into. Anything addressed outside the current size is ignored.
#pragma once
#include <QPointer>
#include <QTableView>
#include <vector>

class QLabel;

namespace controls {

class VaSpreadModel;

class VaSpread : public QTableView {
  Q_OBJECT
 public:
  explicit VaSpread(QWidget *parent = nullptr);
  ~VaSpread() override;

  // Cell text. GetText is false, with value emptied, when the cell holds no
  // text or lies outside the sheet.
  void SetText(int col, int row, const QString &value);
  bool GetText(int col, int row, QString &value) const;

  // Row height in points (row 0 the header row); column width in average
  // characters of the grid's font (column 0 the row-header column). -1 sets
  // every row / column, headers included, and rows or columns added later.
  void setRowHeight(int row, double points);
  void setColWidth(int col, double chars);

  // Row and Col are at once the first cell of a block and the row and column
  // selectors (-1: every row / column) that a following lock setting or row
  // action applies to. Setting them never moves the cursor.
  void setRow(int row) { row_ = row; }
  void setCol(int col) { col_ = col; }
  void setRow2(int row) { row2_ = row; }
  void setCol2(int col) { col2_ = col; }
  int row() const { return row_; }
  int col() const { return col_; }
  void setBlockMode(bool on) { blockMode_ = on; }
  bool blockMode() const { return blockMode_; }

  // Actions, as the sheet numbers them. The row count is never changed by an
  // action: grow the sheet before kActionInsertRow (its last row is pushed
  // out) and shrink it after kActionDeleteRow (an empty row comes in at the
  // bottom). Row actions on the header row or outside the sheet do nothing.
  static constexpr int kActionDeleteRow = 5;   // removes row Row, rows below move up
  static constexpr int kActionInsertRow = 7;   // empty row at Row, it and those below move down
  static constexpr int kActionClearText = 12;  // block mode: texts of Row..Row2 x Col..Col2; else cell Row, Col
  void setAction(int action);

  // Sheet size: data columns 1..n, data rows 1..n. Growing adds empty cells
  // at the end, shrinking drops the last ones.
  void setMaxCols(int cols);
  void setMaxRows(int rows);
  int maxCols() const;
  int maxRows() const;

  // The cell with the cursor. The cursor starts on cell (1, 1); a pick on a
  // row header makes (0, row) active, on a column header (col, 0), on the
  // corner (0, 0), until the cursor moves again. A header keeps the cursor
  // when the grid loses and regains the focus.
  //
  // Keys move the cursor from where it is and raise cursorMoved: Left from
  // column 1 reaches the row header, Up and Down walk the row headers, Right
  // goes back to column 1; Down from a column header or the corner enters
  // the sheet below it. Space or Enter on the cursor's cell (Space only
  // where it cannot be typed into) picks it, as a click does.
  int activeRow() const { return activeRow_; }
  int activeCol() const { return activeCol_; }
  // Puts the cursor on a cell, a header or the corner, raising no event;
  // outside the sheet it stays where it is.
  void SetActiveCell(int col, int row);

  // The cell editor, while one is open: its cell and what it holds now.
  bool EditorText(int &col, int &row, QString &text) const;
  // Ends an open edit, keeping what was typed, as Enter would.
  void FinishEditing() { CommitOpenEditor(); }

  // Lock of the selected cells (Row, Col; -1 every row / column). Reading
  // reports true only when every selected cell is locked. Setting it for
  // every cell also sets the lock of cells added later. Locked cells cannot
  // be typed into while protection is on. New sheets are locked and
  // protected: nothing can be typed until the owner unlocks it.
  void setLock(bool locked);
  bool lock() const;
  void setProtect(bool on);
  bool protect() const { return protect_; }

  // The open cell editor, if any: its cell and the text typed so far.
  bool OpenEditor(int &col, int &row, QString &text) const;
  // Closes the open editor and drops its text; the cell keeps what it held.
  void DropEditor() { DiscardOpenEditor(); }
  // Opens the editor of data cell (col, row) holding text, as if typed.
  void EditCell(int col, int row, const QString &text);
  // Puts the cursor on a cell or header as a pick would, without raising
  // cellPicked.
  void PlaceCursor(int col, int row);

 signals:
  // Single click on any cell, headers and corner included.
  void cellPicked(int col, int row);
  // Double click on any cell, headers and corner included.
  void cellActivated(int col, int row);
  // The cursor moved to a cell or header by the keys, or by finishing an
  // edit: not a pick of that cell.
  void cursorMoved(int col, int row);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void changeEvent(QEvent *event) override;
  void keyboardSearch(const QString &search) override;
  void keyPressEvent(QKeyEvent *event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  friend class VaSpreadModel;
  friend class VaSpreadDelegate;

  bool InSheet(int col, int row) const;
  bool Locked(int col, int row) const;
  void EditorOpened(QWidget *editor, int col, int row);
  void EditorClosed(QWidget *editor);
  void CommitOpenEditor();
  void DiscardOpenEditor();
  void ApplyRowHeights();
  void ApplyColWidth(int col);
  void ShowCornerText();
  bool HandleHeaderMouse(Qt::Orientation orientation, QEvent *event);
  bool OnHeader() const { return activeRow_ == 0 || activeCol_ == 0; }
  void MoveToHeader(int col, int row);
  void PickHeader(int col, int row, bool byKey = false);
  void PickCell(int col, int row);
  bool PickKey(QKeyEvent *event);
  bool HeaderKey(QKeyEvent *event);
  void PickIfMoved(const QModelIndex &before);

  VaSpreadModel *model_;
  QLabel *cornerLabel_ = nullptr;
  QWidget *cornerButton_ = nullptr;

  int row_ = -1, col_ = -1, row2_ = -1, col2_ = -1;
  bool blockMode_ = false;
  bool protect_ = true;
  bool sheetLock_ = true;
  int activeRow_ = 1, activeCol_ = 1;

  // Sizes kept in the sheet's units so a font change can reapply them.
  double defaultRowPoints_ = 12.0;
  double defaultColChars_ = 8.0;
  std::vector<double> colChars_;   // per column 0..maxCols, < 0 = default

  QPointer<QWidget> editor_;
  int editorCol_ = 0, editorRow_ = 0;

  int pressedSection_ = -1;
  Qt::Orientation pressedOrientation_ = Qt::Horizontal;
  bool cornerPressed_ = false;
};

}  // namespace controls
