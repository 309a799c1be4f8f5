#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/Fonts.h"
#include "controls/VaSpread.h"

using controls::VaSpread;

namespace {

QString Text(const VaSpread &grid, int col, int row) {
  QString value;
  grid.GetText(col, row, value);
  return value;
}

// Every cell, headers included, holds "c:r" so moves can be followed.
void FillSheet(VaSpread &grid, int cols, int rows) {
  grid.setMaxCols(cols);
  grid.setMaxRows(rows);
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c <= cols; ++c) grid.SetText(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
}

// The texts of one column, rows 1..maxRows, "" for an empty cell.
QStringList ColumnTexts(const VaSpread &grid, int col) {
  QStringList texts;
  for (int r = 1; r <= grid.maxRows(); ++r) texts << Text(grid, col, r);
  return texts;
}

QStringList HeaderRow(const VaSpread &grid) {
  QStringList texts;
  for (int c = 0; c <= grid.maxCols(); ++c) texts << Text(grid, c, 0);
  return texts;
}

enum Target { DataCell, RowHeader, ColumnHeader, Corner };

// Where to click for the sheet cell (col, row) of the given kind.
QWidget *ClickPlace(VaSpread &grid, Target target, int col, int row, QPoint &pos) {
  switch (target) {
    case DataCell:
      pos = grid.visualRect(grid.model()->index(row - 1, col - 1)).center();
      return grid.viewport();
    case RowHeader: {
      QHeaderView *h = grid.verticalHeader();
      pos = QPoint(h->width() / 2, h->sectionViewportPosition(row - 1) + h->sectionSize(row - 1) / 2);
      return h->viewport();
    }
    case ColumnHeader: {
      QHeaderView *h = grid.horizontalHeader();
      pos = QPoint(h->sectionViewportPosition(col - 1) + h->sectionSize(col - 1) / 2, h->height() / 2);
      return h->viewport();
    }
    case Corner:
    default: {
      auto *corner = grid.findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
      pos = corner->rect().center();
      return corner;
    }
  }
}

}  // namespace

class VaSpreadTest : public QObject {
  Q_OBJECT

 private slots:
  void textInsideAndOutsideTheSheet_data();
  void textInsideAndOutsideTheSheet();
  void emptyCellReportsNoText();
  void resizingAddsAndDropsAtTheEnd();
  void rowActions_data();
  void rowActions();
  void clearTextOfBlock_data();
  void clearTextOfBlock();
  void lockReadsAndNewRows();
  void typingHonoursLockAndProtection_data();
  void typingHonoursLockAndProtection();
  void headersAreNeverTypedInto();
  void mouseRaisesPickAndActivate_data();
  void mouseRaisesPickAndActivate();
  void selectorsLeaveTheCursor();
  void programWriteLeavesNoTypedCopy();
  void copyKeyPutsNothingOnClipboard();
  void sizeUnitsFitTheFont();
  void keysMoveAndPick_data();
  void keysMoveAndPick();
  void headerKeepsTheCursorThroughFocusChanges_data();
  void headerKeepsTheCursorThroughFocusChanges();
  void upFromADeletedLastRow();
};

void VaSpreadTest::textInsideAndOutsideTheSheet_data() {
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<bool>("inside");
  QTest::newRow("data cell") << 2 << 3 << true;
  QTest::newRow("last data cell") << 3 << 5 << true;
  QTest::newRow("corner") << 0 << 0 << true;
  QTest::newRow("column title") << 3 << 0 << true;
  QTest::newRow("row header") << 0 << 5 << true;
  QTest::newRow("past last column") << 4 << 1 << false;
  QTest::newRow("past last row") << 1 << 6 << false;
  QTest::newRow("title past last column") << 4 << 0 << false;
  QTest::newRow("item name past last row") << 0 << 6 << false;
  QTest::newRow("negative column") << -1 << 1 << false;
  QTest::newRow("negative row") << 1 << -1 << false;
}

void VaSpreadTest::textInsideAndOutsideTheSheet() {
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(bool, inside);
  VaSpread grid;
  grid.setMaxCols(3);
  grid.setMaxRows(5);
  grid.SetText(col, row, QStringLiteral("value"));
  QString value = QStringLiteral("stale");
  QCOMPARE(grid.GetText(col, row, value), inside);
  QCOMPARE(value, inside ? QStringLiteral("value") : QString());
  // A write outside must not show up after the sheet grows to include it.
  grid.setMaxCols(5);
  grid.setMaxRows(7);
  if (!inside && col >= 0 && row >= 0) QVERIFY(!grid.GetText(col, row, value));
}

void VaSpreadTest::emptyCellReportsNoText() {
  VaSpread grid;
  FillSheet(grid, 2, 2);
  grid.SetText(1, 1, QString());
  QString value = QStringLiteral("stale");
  QVERIFY(!grid.GetText(1, 1, value));
  QVERIFY(value.isEmpty());
  grid.setMaxRows(3);
  QVERIFY(!grid.GetText(0, 3, value));
}

void VaSpreadTest::resizingAddsAndDropsAtTheEnd() {
  VaSpread grid;
  FillSheet(grid, 3, 5);
  grid.setMaxRows(3);
  QCOMPARE(grid.maxRows(), 3);
  QCOMPARE(ColumnTexts(grid, 0), (QStringList{"0:1", "0:2", "0:3"}));
  grid.setMaxRows(5);
  QCOMPARE(ColumnTexts(grid, 0), (QStringList{"0:1", "0:2", "0:3", "", ""}));
  QCOMPARE(ColumnTexts(grid, 3), (QStringList{"3:1", "3:2", "3:3", "", ""}));
  grid.setMaxCols(1);
  QCOMPARE(grid.maxCols(), 1);
  grid.setMaxCols(3);
  QCOMPARE(HeaderRow(grid), (QStringList{"0:0", "1:0", "", ""}));
  QCOMPARE(ColumnTexts(grid, 2), (QStringList{"", "", "", "", ""}));
  QCOMPARE(ColumnTexts(grid, 1), (QStringList{"1:1", "1:2", "1:3", "", ""}));
}

void VaSpreadTest::rowActions_data() {
  QTest::addColumn<int>("action");
  QTest::addColumn<int>("row");
  QTest::addColumn<QStringList>("names");  // column 0 afterwards
  QTest::addColumn<QStringList>("values");  // column 2 afterwards
  const QStringList names{"0:1", "0:2", "0:3", "0:4", "0:5"};
  const QStringList values{"2:1", "2:2", "2:3", "2:4", "2:5"};
  QTest::newRow("insert at 2") << 7 << 2 << QStringList{"0:1", "", "0:2", "0:3", "0:4"}
                               << QStringList{"2:1", "", "2:2", "2:3", "2:4"};
  QTest::newRow("insert at 1") << 7 << 1 << QStringList{"", "0:1", "0:2", "0:3", "0:4"}
                               << QStringList{"", "2:1", "2:2", "2:3", "2:4"};
  QTest::newRow("insert at last") << 7 << 5 << QStringList{"0:1", "0:2", "0:3", "0:4", ""}
                                  << QStringList{"2:1", "2:2", "2:3", "2:4", ""};
  QTest::newRow("delete at 2") << 5 << 2 << QStringList{"0:1", "0:3", "0:4", "0:5", ""}
                               << QStringList{"2:1", "2:3", "2:4", "2:5", ""};
  QTest::newRow("delete at last") << 5 << 5 << QStringList{"0:1", "0:2", "0:3", "0:4", ""}
                                  << QStringList{"2:1", "2:2", "2:3", "2:4", ""};
  QTest::newRow("insert at header row") << 7 << 0 << names << values;
  QTest::newRow("delete at header row") << 5 << 0 << names << values;
  QTest::newRow("insert with every row") << 7 << -1 << names << values;
  QTest::newRow("delete with every row") << 5 << -1 << names << values;
  QTest::newRow("delete past last row") << 5 << 6 << names << values;
  QTest::newRow("unknown action") << 99 << 2 << names << values;
}

void VaSpreadTest::rowActions() {
  QFETCH(int, action);
  QFETCH(int, row);
  QFETCH(QStringList, names);
  QFETCH(QStringList, values);
  VaSpread grid;
  FillSheet(grid, 3, 5);
  grid.setRow(row);
  grid.setAction(action);
  QCOMPARE(grid.maxRows(), 5);
  QCOMPARE(ColumnTexts(grid, 0), names);
  QCOMPARE(ColumnTexts(grid, 2), values);
  QCOMPARE(HeaderRow(grid), (QStringList{"0:0", "1:0", "2:0", "3:0"}));
}

void VaSpreadTest::clearTextOfBlock_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row2");
  QTest::addColumn<int>("col2");
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<QStringList>("values");  // column 3
  QTest::addColumn<QStringList>("header");
  const QStringList header{"0:0", "1:0", "2:0", "3:0"};
  QTest::newRow("rows 2-3 with their names") << 2 << 0 << 3 << 3 << QStringList{"0:1", "", "", "0:4"}
                                             << QStringList{"3:1", "", "", "3:4"} << header;
  QTest::newRow("one row") << 4 << 0 << 4 << 3 << QStringList{"0:1", "0:2", "0:3", ""}
                           << QStringList{"3:1", "3:2", "3:3", ""} << header;
  QTest::newRow("data only, not the names") << 1 << 1 << 4 << 3 << QStringList{"0:1", "0:2", "0:3", "0:4"}
                                            << QStringList{"", "", "", ""} << header;
  QTest::newRow("block reaching past the sheet") << 3 << 0 << 50 << 50 << QStringList{"0:1", "0:2", "", ""}
                                                 << QStringList{"3:1", "3:2", "", ""} << header;
  QTest::newRow("empty block") << 3 << 0 << 2 << 3 << QStringList{"0:1", "0:2", "0:3", "0:4"}
                               << QStringList{"3:1", "3:2", "3:3", "3:4"} << header;
  QTest::newRow("header row addressed") << 0 << 0 << 0 << 3 << QStringList{"0:1", "0:2", "0:3", "0:4"}
                                        << QStringList{"3:1", "3:2", "3:3", "3:4"}
                                        << QStringList{"", "", "", ""};
}

void VaSpreadTest::clearTextOfBlock() {
  QFETCH(int, row);
  QFETCH(int, col);
  QFETCH(int, row2);
  QFETCH(int, col2);
  VaSpread grid;
  FillSheet(grid, 3, 4);
  grid.setRow(row);
  grid.setCol(col);
  grid.setRow2(row2);
  grid.setCol2(col2);
  grid.setBlockMode(true);
  grid.setAction(VaSpread::kActionClearText);
  grid.setBlockMode(false);
  QTEST(ColumnTexts(grid, 0), "names");
  QTEST(ColumnTexts(grid, 3), "values");
  QTEST(HeaderRow(grid), "header");
  QCOMPARE(grid.maxRows(), 4);
}

void VaSpreadTest::lockReadsAndNewRows() {
  VaSpread grid;
  FillSheet(grid, 3, 3);
  grid.setRow(-1);
  grid.setCol(-1);
  grid.setLock(true);
  QVERIFY(grid.lock());
  grid.setRow(2);
  grid.setCol(3);
  grid.setLock(false);
  QVERIFY(!grid.lock());
  grid.setCol(1);
  QVERIFY(grid.lock());
  grid.setCol(-1);
  QVERIFY(!grid.lock());  // row 2 has one unlocked cell
  grid.setRow(-1);
  QVERIFY(!grid.lock());

  // Rows that arrive later take the lock last set for every cell.
  grid.setCol(-1);
  grid.setLock(false);
  grid.setMaxRows(4);
  grid.setRow(4);
  QVERIFY(!grid.lock());
  grid.setRow(-1);
  grid.setLock(true);
  grid.setMaxRows(5);
  grid.setRow(5);
  QVERIFY(grid.lock());
  grid.setRow(-1);
  grid.setLock(false);
  grid.setRow(2);
  grid.setAction(VaSpread::kActionInsertRow);
  grid.setRow(-1);
  QVERIFY(!grid.lock());
  grid.setLock(true);
  grid.setRow(1);
  grid.setCol(2);
  grid.setLock(false);  // one cell only: not the sheet-wide lock
  grid.setAction(VaSpread::kActionDeleteRow);
  grid.setRow(5);
  grid.setCol(-1);
  QVERIFY(grid.lock());
}

void VaSpreadTest::typingHonoursLockAndProtection_data() {
  QTest::addColumn<bool>("locked");
  QTest::addColumn<bool>("protect");
  QTest::addColumn<QString>("expected");
  QTest::newRow("locked and protected") << true << true << "2:2";
  QTest::newRow("unlocked and protected") << false << true << "typed";
  QTest::newRow("locked, protection off") << true << false << "typed";
  QTest::newRow("unlocked, protection off") << false << false << "typed";
}

void VaSpreadTest::typingHonoursLockAndProtection() {
  QFETCH(bool, locked);
  QFETCH(bool, protect);
  QFETCH(QString, expected);
  VaSpread grid;
  FillSheet(grid, 3, 3);
  grid.setRow(-1);
  grid.setCol(-1);
  grid.setLock(true);
  grid.setRow(2);
  grid.setCol(2);
  grid.setLock(locked);
  grid.setProtect(protect);
  grid.show();
  QVERIFY(QTest::qWaitForWindowActive(&grid));

  QPoint pos;
  QWidget *place = ClickPlace(grid, DataCell, 2, 2, pos);
  QTest::mouseClick(place, Qt::LeftButton, {}, pos);
  QTest::keyClicks(&grid, QStringLiteral("t"));
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("yped"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor commits after its own key handling
  QCOMPARE(Text(grid, 2, 2), expected);
  // The neighbours are locked whatever happened to the cell.
  QCOMPARE(Text(grid, 1, 2), QStringLiteral("1:2"));
  QCOMPARE(Text(grid, 3, 2), QStringLiteral("3:2"));
}

void VaSpreadTest::headersAreNeverTypedInto() {
  VaSpread grid;
  FillSheet(grid, 2, 3);
  grid.setRow(-1);
  grid.setCol(-1);
  grid.setLock(false);
  grid.show();
  QVERIFY(QTest::qWaitForWindowActive(&grid));
  for (Target target : {RowHeader, ColumnHeader, Corner}) {
    QPoint pos;
    QWidget *place = ClickPlace(grid, target, 1, 2, pos);
    QTest::mouseClick(place, Qt::LeftButton, {}, pos);
    QTest::keyClicks(&grid, QStringLiteral("x"));
    QCOMPARE(QApplication::focusWidget(), &grid);  // no editor opened
  }
  QCOMPARE(ColumnTexts(grid, 0), (QStringList{"0:1", "0:2", "0:3"}));
  QCOMPARE(ColumnTexts(grid, 1), (QStringList{"1:1", "1:2", "1:3"}));
  QCOMPARE(HeaderRow(grid), (QStringList{"0:0", "1:0", "2:0"}));
}

void VaSpreadTest::mouseRaisesPickAndActivate_data() {
  QTest::addColumn<int>("target");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::newRow("data cell") << int(DataCell) << 2 << 3;
  QTest::newRow("first data cell") << int(DataCell) << 1 << 1;
  QTest::newRow("row header") << int(RowHeader) << 0 << 4;
  QTest::newRow("column header") << int(ColumnHeader) << 3 << 0;
  QTest::newRow("corner") << int(Corner) << 0 << 0;
}

void VaSpreadTest::mouseRaisesPickAndActivate() {
  QFETCH(int, target);
  QFETCH(int, col);
  QFETCH(int, row);
  VaSpread grid;
  FillSheet(grid, 3, 5);
  grid.resize(600, 300);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  QSignalSpy picked(&grid, &VaSpread::cellPicked);
  QSignalSpy activated(&grid, &VaSpread::cellActivated);

  QPoint pos;
  QWidget *place = ClickPlace(grid, Target(target), col, row, pos);
  QTest::mouseClick(place, Qt::LeftButton, {}, pos);
  QCOMPARE(picked.size(), 1);
  QCOMPARE(picked.at(0), (QVariantList{col, row}));
  QVERIFY(activated.isEmpty());
  QCOMPARE(grid.activeCol(), col);
  QCOMPARE(grid.activeRow(), row);

  QTest::mouseDClick(place, Qt::LeftButton, {}, pos);
  QCOMPARE(activated.size(), 1);
  QCOMPARE(activated.at(0), (QVariantList{col, row}));
  QCOMPARE(picked.last(), (QVariantList{col, row}));
  // Picking the corner or a header does not select every cell.
  QVERIFY(grid.selectionModel()->selectedIndexes().size() <= 5);
}

void VaSpreadTest::selectorsLeaveTheCursor() {
  VaSpread grid;
  FillSheet(grid, 3, 5);
  QCOMPARE(grid.activeCol(), 1);
  QCOMPARE(grid.activeRow(), 1);
  grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&grid));
  QPoint pos;
  QWidget *place = ClickPlace(grid, DataCell, 2, 3, pos);
  QTest::mouseClick(place, Qt::LeftButton, {}, pos);
  grid.setRow(5);
  grid.setCol(1);
  grid.setRow(-1);
  grid.setCol(-1);
  grid.setLock(false);
  QCOMPARE(grid.activeCol(), 2);
  QCOMPARE(grid.activeRow(), 3);
  // A row moving under the cursor leaves the cursor where it is.
  grid.setRow(1);
  grid.setAction(VaSpread::kActionInsertRow);
  QCOMPARE(grid.activeRow(), 3);
}

void VaSpreadTest::programWriteLeavesNoTypedCopy() {
  VaSpread grid;
  FillSheet(grid, 2, 2);
  grid.setRow(-1);
  grid.setCol(-1);
  grid.setLock(false);
  grid.show();
  QVERIFY(QTest::qWaitForWindowActive(&grid));
  QPoint pos;
  QWidget *place = ClickPlace(grid, DataCell, 1, 2, pos);
  QTest::mouseClick(place, Qt::LeftButton, {}, pos);
  QTest::keyClicks(&grid, QStringLiteral("s"));
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ecret"));
  bool editorSeen = false;
  for (auto *line : grid.findChildren<QLineEdit *>()) editorSeen |= line->text() == QStringLiteral("secret");
  QVERIFY(editorSeen);

  grid.SetText(1, 2, QStringLiteral("********"));
  QCOMPARE(Text(grid, 1, 2), QStringLiteral("********"));
  for (auto *line : grid.findChildren<QLineEdit *>()) {
    QVERIFY(!line->text().contains(QStringLiteral("secret")));
    QVERIFY(!line->isUndoAvailable());
  }
  // Closing the editor later must not bring the typing back.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCoreApplication::processEvents();
  QCOMPARE(Text(grid, 1, 2), QStringLiteral("********"));
}

void VaSpreadTest::copyKeyPutsNothingOnClipboard() {
  VaSpread grid;
  FillSheet(grid, 2, 2);
  grid.SetText(1, 1, QStringLiteral("clear value"));
  grid.show();
  QVERIFY(QTest::qWaitForWindowActive(&grid));
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void VaSpreadTest::sizeUnitsFitTheFont() {
  VaSpread grid;
  grid.setFont(controls::UiFont(11.25));
  FillSheet(grid, 3, 3);
  grid.setRowHeight(-1, 14.5);
  grid.setColWidth(-1, 15.0);
  const QFontMetrics fm(grid.font());
  const int rowHeight = grid.rowHeight(0);
  QVERIFY(rowHeight > fm.height());
  QVERIFY(rowHeight < 2 * fm.height());
  QCOMPARE(grid.horizontalHeader()->height(), rowHeight);
  const int width = grid.columnWidth(1);
  QVERIFY(width > fm.horizontalAdvance(QStringLiteral("Card Password")));
  QVERIFY(width < 2 * fm.horizontalAdvance(QStringLiteral("abcdefghijklmno")));
  QCOMPARE(grid.verticalHeader()->width(), width);
  // Rows and columns added later get the same sizes.
  grid.setMaxRows(6);
  grid.setMaxCols(5);
  QCOMPARE(grid.rowHeight(5), rowHeight);
  QCOMPARE(grid.columnWidth(4), width);
  // A single row or column keeps its own size.
  grid.setRowHeight(2, 29.0);
  QVERIFY(grid.rowHeight(1) > rowHeight);
  QCOMPARE(grid.rowHeight(2), rowHeight);
}

// Keys from a starting place (a click on a cell, a row header, a column
// header or the corner): every move takes the cursor from where it is, and
// is no pick; Space and Enter pick the cursor's cell.
void VaSpreadTest::keysMoveAndPick_data() {
  QTest::addColumn<int>("target");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<QList<int>>("keys");
  QTest::addColumn<QVariantList>("moves");  // "c:r" per cursor move raised by the keys
  QTest::addColumn<QVariantList>("picks");  // "c:r" per pick raised by the keys
  const int left = Qt::Key_Left, right = Qt::Key_Right, up = Qt::Key_Up, down = Qt::Key_Down;
  const int space = Qt::Key_Space, enter = Qt::Key_Return;
  QTest::newRow("space picks the cell walked to") << int(DataCell) << 1 << 3 << QList<int>{down, space}
                                                 << QVariantList{"1:4"} << QVariantList{"1:4"};
  QTest::newRow("enter picks the cell walked to") << int(DataCell) << 2 << 2 << QList<int>{right, enter}
                                                 << QVariantList{"3:2"} << QVariantList{"3:2"};
  QTest::newRow("space picks a row header") << int(DataCell) << 1 << 2 << QList<int>{left, space}
                                            << QVariantList{"0:2"} << QVariantList{"0:2"};
  QTest::newRow("left from column 1 to the row header") << int(DataCell) << 1 << 3 << QList<int>{left}
                                                       << QVariantList{"0:3"} << QVariantList{};
  QTest::newRow("left from column 2 stays in the sheet") << int(DataCell) << 2 << 3 << QList<int>{left}
                                                        << QVariantList{"1:3"} << QVariantList{};
  QTest::newRow("down and up along the row headers") << int(RowHeader) << 0 << 4 << QList<int>{down, up, up}
                                                     << QVariantList{"0:5", "0:4", "0:3"} << QVariantList{};
  QTest::newRow("down from the last row header stays") << int(RowHeader) << 0 << 5 << QList<int>{down}
                                                       << QVariantList{} << QVariantList{};
  QTest::newRow("right from a row header into column 1") << int(RowHeader) << 0 << 2 << QList<int>{right, right}
                                                         << QVariantList{"1:2", "2:2"} << QVariantList{};
  QTest::newRow("up from row 1 to the corner and back") << int(RowHeader) << 0 << 1 << QList<int>{up, down}
                                                        << QVariantList{"0:0", "0:1"} << QVariantList{};
  QTest::newRow("up from a cell of row 1 to its title") << int(DataCell) << 2 << 1 << QList<int>{up, left, down}
                                                        << QVariantList{"2:0", "1:0", "1:1"} << QVariantList{};
  QTest::newRow("corner to the titles") << int(Corner) << 0 << 0 << QList<int>{right, right}
                                        << QVariantList{"1:0", "2:0"} << QVariantList{};
  QTest::newRow("cells by the arrows") << int(DataCell) << 2 << 2 << QList<int>{down, right, up}
                                       << QVariantList{"2:3", "3:3", "3:2"} << QVariantList{};
}

void VaSpreadTest::keysMoveAndPick() {
  QFETCH(int, target);
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(QList<int>, keys);
  QFETCH(QVariantList, moves);
  QFETCH(QVariantList, picks);
  VaSpread grid;
  FillSheet(grid, 3, 5);
  grid.resize(600, 300);
  grid.show();
  QVERIFY(QTest::qWaitForWindowActive(&grid));
  QPoint pos;
  QWidget *place = ClickPlace(grid, Target(target), col, row, pos);
  QTest::mouseClick(place, Qt::LeftButton, {}, pos);
  QVERIFY(grid.hasFocus());
  QSignalSpy moved(&grid, &VaSpread::cursorMoved);
  QSignalSpy picked(&grid, &VaSpread::cellPicked);
  for (int key : keys) QTest::keyClick(&grid, Qt::Key(key));
  auto places = [](const QSignalSpy &spy) {
    QVariantList seen;
    for (const QList<QVariant> &event : spy)
      seen << QStringLiteral("%1:%2").arg(event.at(0).toInt()).arg(event.at(1).toInt());
    return seen;
  };
  QCOMPARE(places(moved), moves);
  QCOMPARE(places(picked), picks);
  const QString last = moves.isEmpty() ? QStringLiteral("%1:%2").arg(col).arg(row) : moves.last().toString();
  QCOMPARE(QStringLiteral("%1:%2").arg(grid.activeCol()).arg(grid.activeRow()), last);
  // On a header no data cell takes typing.
  if (grid.activeCol() == 0 || grid.activeRow() == 0) QVERIFY(!grid.currentIndex().isValid());
}

// The view would make the first cell current when it regains the focus;
// a picked header stays the cursor instead, and the keys go on from it.
void VaSpreadTest::headerKeepsTheCursorThroughFocusChanges_data() {
  QTest::addColumn<int>("target");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<bool>("otherWindow");
  QTest::newRow("row header, focus to a sibling") << int(RowHeader) << 0 << 3 << false;
  QTest::newRow("row header, another window") << int(RowHeader) << 0 << 3 << true;
  QTest::newRow("column header, another window") << int(ColumnHeader) << 2 << 0 << true;
  QTest::newRow("corner, focus to a sibling") << int(Corner) << 0 << 0 << false;
}

void VaSpreadTest::headerKeepsTheCursorThroughFocusChanges() {
  QFETCH(int, target);
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(bool, otherWindow);
  QWidget window;
  auto *grid = new VaSpread(&window);
  auto *sibling = new QLineEdit(&window);
  FillSheet(*grid, 3, 5);
  grid->setGeometry(0, 30, 600, 300);
  window.resize(600, 340);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QPoint pos;
  QWidget *place = ClickPlace(*grid, Target(target), col, row, pos);
  QTest::mouseClick(place, Qt::LeftButton, {}, pos);
  QSignalSpy picked(grid, &VaSpread::cellPicked);
  if (otherWindow) {
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    other.close();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
  } else {
    sibling->setFocus(Qt::TabFocusReason);
  }
  grid->setFocus(Qt::TabFocusReason);
  QVERIFY(grid->hasFocus());
  QCOMPARE(grid->activeCol(), col);
  QCOMPARE(grid->activeRow(), row);
  QVERIFY(!grid->currentIndex().isValid());
  QVERIFY(picked.isEmpty());
  // Down goes on from the header: the row header below, the first cell
  // below a column title, the first row header below the corner.
  QTest::keyClick(grid, Qt::Key_Down);
  QCOMPARE(grid->activeCol(), col);
  QCOMPARE(grid->activeRow(), row + 1);
}

// The last row went while its header had the cursor: Up reaches the new
// last row, Down stays.
void VaSpreadTest::upFromADeletedLastRow() {
  VaSpread grid;
  FillSheet(grid, 3, 5);
  grid.show();
  QVERIFY(QTest::qWaitForWindowActive(&grid));
  QPoint pos;
  QTest::mouseClick(ClickPlace(grid, RowHeader, 0, 5, pos), Qt::LeftButton, {}, pos);
  grid.setRow(5);
  grid.setAction(VaSpread::kActionDeleteRow);
  grid.setMaxRows(4);
  QSignalSpy moved(&grid, &VaSpread::cursorMoved);
  QTest::keyClick(&grid, Qt::Key_Down);
  QVERIFY(moved.isEmpty());
  QTest::keyClick(&grid, Qt::Key_Up);
  QCOMPARE(moved.size(), 1);
  QCOMPARE(moved.at(0), (QVariantList{0, 4}));
}

QTEST_MAIN(VaSpreadTest)
#include "VaSpreadTest.moc"
