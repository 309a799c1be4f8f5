#include <QLineEdit>
#include <QTest>

#include "controls/VaSpread.h"
#include "mainwindow/GridProcedures.h"
#include "runtime/MessageBox.h"
#include "tests/mainwindow/Archive.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

using controls::VaSpread;

namespace {

QString Text(const VaSpread &grid, int col, int row, bool *held = nullptr) {
  QString value;
  const bool ok = grid.GetText(col, row, value);
  if (held != nullptr) *held = ok;
  return value;
}

void SizeFromTable(VaSpread &grid) {
  grid.setMaxCols(Module1::ColumnCount);
  grid.setMaxRows(Module1::RowCount);
}

// Every text the grid holds, headers included.
QStringList AllTexts(const VaSpread &grid) {
  QStringList texts;
  for (int r = 0; r <= grid.maxRows(); ++r)
    for (int c = 0; c <= grid.maxCols(); ++c) texts << Text(grid, c, r);
  for (auto *line : grid.findChildren<QLineEdit *>()) texts << line->text();
  return texts;
}

}  // namespace

class GridProceduresTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseBuiltCipher(); }
  void fillMasksByDisplayLevel_data();
  void fillMasksByDisplayLevel();
  void unnamedRecordShowsAsRowWithoutName();
  void noUserColumns();
  void writesBeyondTheGridAreIgnored();
  void fullTableStaysWithinItsBounds_data();
  void fullTableStaysWithinItsBounds();
  void toCellText_data();
  void toCellText();
  void getCellText_data();
  void getCellText();
  void clearRows_data();
  void clearRows();
  void collectGrid_data();
  void collectGrid();
  void collectGridRefusesMoreThanAnArchive();
};

void GridProceduresTest::fillMasksByDisplayLevel_data() {
  QTest::addColumn<int>("level");
  QTest::addColumn<QList<int>>("masked");
  QTest::newRow("level 0: all masked") << 0 << QList<int>{1, 2, 3};
  QTest::newRow("level 1: column 1 clear") << 1 << QList<int>{2, 3};
  QTest::newRow("level 2: all clear") << 2 << QList<int>{};
  QTest::newRow("level 3 reveals like 2") << 3 << QList<int>{};
  QTest::newRow("level -1 reveals like 2") << -1 << QList<int>{};
}

void GridProceduresTest::fillMasksByDisplayLevel() {
  QFETCH(int, level);
  QFETCH(QList<int>, masked);
  TempFolder folder;
  QVERIFY(WriteAndReadArchive(kTitles, kRows));
  VaSpread grid;
  SizeFromTable(grid);
  // Clear values first, as after a Display cycle, so masking must replace them.
  Module1::DisplayLevel = 2;
  FillGrid(grid);
  Module1::DisplayLevel = static_cast<int16_t>(level);
  FillGrid(grid);

  QCOMPARE(Text(grid, 0, 0), QStringLiteral("Item"));
  for (int c = 1; c <= 3; ++c) QCOMPARE(Text(grid, c, 0).toStdString(), kTitles[c - 1]);
  QStringList secrets;
  for (size_t r = 0; r < kRows.size(); ++r) {
    const int row = static_cast<int>(r) + 1;
    QCOMPARE(Text(grid, 0, row).toStdString(), kRows[r][0]);
    for (int c = 1; c <= 3; ++c) {
      bool held = false;
      const QString shown = Text(grid, c, row, &held);
      if (masked.contains(c)) {
        QCOMPARE(shown, QStringLiteral("********"));  // an empty value too
        QVERIFY(held);
        if (!kRows[r][c].empty()) secrets << QString::fromStdString(kRows[r][c]);
      } else {
        QCOMPARE(shown.toStdString(), kRows[r][c]);  // blanks kept
        QCOMPARE(held, !kRows[r][c].empty());
      }
    }
  }
  // A masked value is nowhere in the grid, not even under another cell.
  const QStringList all = AllTexts(grid);
  for (const QString &secret : secrets) QVERIFY2(!all.contains(secret), qPrintable(secret));
}

// Every record is shown: an unnamed one as a row without a name, and the
// rows after it as they are, so nothing drops out of sight or out of Save.
void GridProceduresTest::unnamedRecordShowsAsRowWithoutName() {
  TempFolder folder;
  const TableRows rows{{"Bank", "alice", "b4nk-pass", ""},
                       {"", "orphan", "orphan-pass", "z"},
                       {"LoginPassword", "hint", "open sesame", "edit sesame"}};
  QVERIFY(WriteAndReadArchive(kTitles, rows));
  VaSpread grid;
  SizeFromTable(grid);
  for (int r = 1; r <= 3; ++r)
    for (int c = 0; c <= 3; ++c) grid.SetText(c, r, QStringLiteral("old"));
  Module1::DisplayLevel = 2;
  FillGrid(grid);
  for (int r = 1; r <= 3; ++r)
    for (int c = 0; c <= 3; ++c) {
      bool held = true;
      QCOMPARE(Text(grid, c, r, &held).toStdString(), rows[r - 1][c]);
      QCOMPARE(held, !rows[r - 1][c].empty());
    }
  QCOMPARE(Text(grid, 1, 0), QStringLiteral("User Name"));
}

void GridProceduresTest::noUserColumns() {
  TempFolder folder;
  QVERIFY(WriteAndReadArchive({}, {{"Bank"}, {"LoginPassword"}, {"Mail"}}));
  QCOMPARE(Module1::ColumnCount, 0);
  VaSpread grid;
  SizeFromTable(grid);
  FillGrid(grid);
  QCOMPARE(grid.maxCols(), 0);
  QCOMPARE(Text(grid, 0, 0), QStringLiteral("Item"));
  QCOMPARE((QStringList{Text(grid, 0, 1), Text(grid, 0, 2), Text(grid, 0, 3)}),
           (QStringList{"Bank", "LoginPassword", "Mail"}));
  bool held = true;
  Text(grid, 1, 1, &held);
  QVERIFY(!held);
}

void GridProceduresTest::writesBeyondTheGridAreIgnored() {
  TempFolder folder;
  QVERIFY(WriteAndReadArchive(kTitles, kRows));
  // A name in the row one past the rows in use, as an older table leaves it.
  Module1::VaultTable[4] = {"Ghost", "g1", "g2", "g3"};
  VaSpread grid;
  grid.setMaxCols(2);  // one column short of the table
  grid.setMaxRows(Module1::RowCount);
  Module1::DisplayLevel = 2;
  FillGrid(grid);
  QCOMPARE(Text(grid, 0, 4), QStringLiteral("Mail"));
  grid.setMaxRows(5);
  grid.setMaxCols(3);
  for (int c = 0; c <= 3; ++c) {
    bool held = true;
    Text(grid, c, 5, &held);
    QVERIFY(!held);
  }
  for (int r = 0; r <= 5; ++r) {
    bool held = true;
    Text(grid, 3, r, &held);
    QVERIFY(!held);
  }
}

void GridProceduresTest::fullTableStaysWithinItsBounds_data() {
  QTest::addColumn<int>("columns");
  QTest::newRow("ten columns") << 10;
  QTest::newRow("count past the fields") << 12;
}

// A table of 100 named rows, as a Save collecting 100 rows leaves it.
void GridProceduresTest::fullTableStaysWithinItsBounds() {
  QFETCH(int, columns);
  TempFolder folder;
  using namespace Module1;
  for (int r = 0; r < kTableRows; ++r)
    for (int f = 0; f < kTableFields; ++f) VaultTable[r][f] = std::string("r").append(std::to_string(r)).append("f").append(std::to_string(f));
  RowCount = 100;
  ColumnCount = static_cast<int16_t>(columns);
  DisplayLevel = 2;
  VaSpread grid;
  SizeFromTable(grid);
  FillGrid(grid);
  QCOMPARE(Text(grid, 0, 100), QStringLiteral("r99f0"));
  QCOMPARE(Text(grid, 10, 100), QStringLiteral("r99f10"));
  for (int c = 11; c <= columns; ++c) {
    bool held = true;
    Text(grid, c, 1, &held);
    QVERIFY(!held);
  }
}

void GridProceduresTest::toCellText_data() {
  QTest::addColumn<QVariant>("value");
  QTest::addColumn<QString>("text");
  QTest::newRow("empty") << QVariant() << "";
  QTest::newRow("16-bit integer") << QVariant::fromValue<qint16>(7) << "7";
  QTest::newRow("negative 32-bit integer") << QVariant(-12) << "-12";
  QTest::newRow("single") << QVariant(0.25f) << "0.25";
  QTest::newRow("double") << QVariant(2.5) << "2.5";
  QTest::newRow("text with blanks unchanged") << QVariant(QStringLiteral("  a b ")) << "  a b ";
  QTest::newRow("text of digits unchanged") << QVariant(QStringLiteral(" 42")) << " 42";
  QTest::newRow("empty text") << QVariant(QString()) << "";
  QTest::newRow("Japanese text") << QVariant(QStringLiteral("口座番号")) << "口座番号";
}

void GridProceduresTest::toCellText() {
  QFETCH(QVariant, value);
  QTEST(ToCellText(value), "text");
}

void GridProceduresTest::getCellText_data() {
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("text");
  QTest::newRow("data cell") << 2 << 1 << "b";
  QTest::newRow("item name") << 0 << 1 << "Bank";
  QTest::newRow("corner") << 0 << 0 << "Item";
  QTest::newRow("empty cell") << 1 << 2 << "";
  QTest::newRow("past last row") << 1 << 3 << "";
  QTest::newRow("past last column") << 3 << 1 << "";
}

void GridProceduresTest::getCellText() {
  QFETCH(int, col);
  QFETCH(int, row);
  VaSpread grid;
  grid.setMaxCols(2);
  grid.setMaxRows(2);
  grid.SetText(0, 0, QStringLiteral("Item"));
  grid.SetText(0, 1, QStringLiteral("Bank"));
  grid.SetText(2, 1, QStringLiteral("b"));
  int32_t r = row, c = col;
  QTEST(GetCellText(grid, r, c), "text");
  QCOMPARE(r, row);
  QCOMPARE(c, col);
}

void GridProceduresTest::clearRows_data() {
  QTest::addColumn<int>("first");
  QTest::addColumn<int>("count");
  QTest::addColumn<QList<int>>("cleared");
  QTest::newRow("two rows") << 2 << 2 << QList<int>{2, 3};
  QTest::newRow("every row") << 1 << 4 << QList<int>{1, 2, 3, 4};
  QTest::newRow("none") << 1 << 0 << QList<int>{};
  QTest::newRow("negative count") << 3 << -1 << QList<int>{};
  QTest::newRow("past the last row") << 4 << 5 << QList<int>{4};
}

void GridProceduresTest::clearRows() {
  QFETCH(int, first);
  QFETCH(int, count);
  QFETCH(QList<int>, cleared);
  VaSpread grid;
  grid.setMaxCols(3);
  grid.setMaxRows(4);
  for (int r = 0; r <= 4; ++r)
    for (int c = 0; c <= 3; ++c) grid.SetText(c, r, QStringLiteral("t"));
  ClearRows(grid, first, static_cast<int16_t>(count));
  for (int r = 0; r <= 4; ++r)
    for (int c = 0; c <= 3; ++c)
      QCOMPARE(Text(grid, c, r), cleared.contains(r) ? QString() : QStringLiteral("t"));
}

const std::string kNoCredentials =
    "[LoginPassword]がありません。このまま保存終了すると、次回このファイルが開けなくなります。このまま保存しますか？";

void GridProceduresTest::collectGrid_data() {
  QTest::addColumn<QStringList>("names");  // item names of grid rows 1..; "" none, "-" a wholly empty row
  QTest::addColumn<int>("answer");         // to the question, 0 when none is expected
  QTest::addColumn<int>("count");
  QTest::addColumn<QString>("refusal");  // the message when Save is refused
  const QString name = QStringLiteral("\r\nName it or remove it first.");
  QTest::newRow("credentials row present") << QStringList{"Bank", "LoginPassword", "Card", "Mail"} << 0 << 4 << "";
  QTest::newRow("rows below an unnamed row with values are not dropped: refused")
      << QStringList{"Bank", "LoginPassword", "", "Mail"} << 0 << 0 << "Row 3 has no item name." + name;
  QTest::newRow("first row unnamed with values: refused")
      << QStringList{"", "LoginPassword", "Card", "Mail"} << 0 << 0 << "Row 1 has no item name." + name;
  QTest::newRow("wholly empty rows are left out")
      << QStringList{"-", "Bank", "-", "LoginPassword", "Mail", "-"} << 0 << 3 << "";
  QTest::newRow("nothing but empty rows") << QStringList{"-", "-"} << 0 << 0
                                          << "The grid holds no named row: there is nothing to save.";
  QTest::newRow("no credentials row, OK") << QStringList{"Bank", "Card", "Mail", "Fuel"} << 1 << 4 << "";
  QTest::newRow("no credentials row, Cancel") << QStringList{"Bank", "Card", "Mail", "Fuel"} << 2 << -1 << "";
  QTest::newRow("letter case is not the credentials row")
      << QStringList{"Bank", "loginpassword", "Card", "Mail"} << 1 << 4 << "";
  QTest::newRow("unnamed row refused before the question") << QStringList{"Bank", "", "Card"} << 0 << 0
                                                           << "Row 2 has no item name." + name;
}

// Each row r holds u<r>, p<r>, c<r>; the credentials row so holds a hint and
// two passwords that differ.
void GridProceduresTest::collectGrid() {
  QFETCH(QStringList, names);
  QFETCH(int, answer);
  QFETCH(int, count);
  QFETCH(QString, refusal);
  TempFolder folder;
  ScriptedMessageBox box;
  if (answer != 0) box.Answer(answer);
  QVERIFY(WriteAndReadArchive(kTitles, kRows));
  const auto before = Module1::VaultTable;
  VaSpread grid;
  grid.setMaxCols(3);
  grid.setMaxRows(static_cast<int>(names.size()));
  std::vector<int> kept;  // grid rows that hold something
  for (int r = 1; r <= names.size(); ++r) {
    if (names[r - 1] == QLatin1String("-")) continue;
    kept.push_back(r);
    grid.SetText(0, r, names[r - 1]);
    grid.SetText(1, r, QStringLiteral("u%1").arg(r));
    grid.SetText(2, r, QStringLiteral("p%1").arg(r));
    grid.SetText(3, r, QStringLiteral("c%1").arg(r));
  }
  QCOMPARE(CollectGrid(grid), int16_t(count));

  if (!refusal.isEmpty()) {
    QCOMPARE(box.Shown().size(), size_t(1));
    QCOMPARE(QString::fromStdString(box.Shown()[0].text), refusal);
    QCOMPARE(box.Shown()[0].style, runtime::kStyleCritical);
    QCOMPARE(box.Shown()[0].caption, std::string("Save / Vantry"));
  } else if (answer == 0) {
    QVERIFY(box.Shown().empty());
  } else {
    QCOMPARE(box.Shown().size(), size_t(1));
    QCOMPARE(box.Shown()[0].text, kNoCredentials);
    QCOMPARE(box.Shown()[0].caption, std::string("Save / Vantry"));
    QCOMPARE(box.Shown()[0].style, runtime::kStyleCriticalOkCancel);
  }
  if (count <= 0) {
    QVERIFY(Module1::VaultTable == before);  // declined or refused: the table as it was
  } else {
    QCOMPARE(static_cast<int>(kept.size()), count);
    for (int i = 0; i < count; ++i) {
      const std::string r = std::to_string(kept[i]);
      QCOMPARE(Module1::VaultTable[i][0], names[kept[i] - 1].toStdString());
      QCOMPARE(Module1::VaultTable[i][1], "u" + r);
      QCOMPARE(Module1::VaultTable[i][2], "p" + r);
      QCOMPARE(Module1::VaultTable[i][3], "c" + r);
    }
    // Nothing of a row the archive no longer holds stays in the table.
    for (int i = count; i < Module1::kTableRows; ++i) QVERIFY(Module1::VaultTable[i] == Module1::Row{});
  }
  QCOMPARE(Module1::RowCount, int16_t(kRows.size()));
}

// A grid of 100 named rows, as it could only be made by hand: more than the
// reader takes back, so Save refuses it and the table stays.
void GridProceduresTest::collectGridRefusesMoreThanAnArchive() {
  TempFolder folder;
  ScriptedMessageBox box;
  Module1::ColumnCount = 3;
  VaSpread grid;
  grid.setMaxCols(3);
  grid.setMaxRows(100);
  for (int r = 1; r <= 100; ++r) grid.SetText(0, r, QStringLiteral("Row%1").arg(r));
  Module1::VaultTable[99][0] = "left over";
  const auto before = Module1::VaultTable;
  QCOMPARE(CollectGrid(grid), int16_t(0));
  QVERIFY(Module1::VaultTable == before);
  QCOMPARE(box.Shown().size(), size_t(1));
  QCOMPARE(box.Shown()[0].text, std::string("The table is larger than an archive can hold: at most 99 rows and 9 columns."));
}

QTEST_MAIN(GridProceduresTest)
#include "GridProceduresTest.moc"
