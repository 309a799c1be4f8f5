// The six commands and the grid's two events, worked on the real window as
// the user works them: clicks on the buttons, picks and double clicks on the
// grid, typing into cells and into the password box.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include "controls/ThreeD.h"
#include "runtime/Clipboard.h"
#include "runtime/MessageBox.h"
#include "tests/mainwindow/Session.h"

using controls::VaSpread;

namespace {

const QColor kFace = controls::ButtonFace();

// An archive of n rows: Item1.., the credentials row second.
TableRows ManyRows(int n) {
  TableRows rows;
  for (int i = 1; i <= n; ++i) {
    const std::string k = std::to_string(i);
    rows.push_back({"Item" + k, "user" + k, "pass" + k, "x" + k});
  }
  if (n >= 2) rows[1] = kRows[1];
  return rows;
}

void Click(QWidget *button) { QTest::mouseClick(button, Qt::LeftButton); }

void Unlock(Form1 &form) {
  Type(form, kLogin);
  Type(form, kEdit);
}

void ToLevel(Form1 &form, int level) {
  for (int i = 0; i < level; ++i) Click(form.SSCommand1);
}

// A single (pick) or double (activate) click on a grid cell, a row header
// (col 0), a column header (row 0) or the corner.
void MouseOn(Form1 &form, int col, int row, bool activate) {
  VaSpread *grid = form.vaSpread1;
  auto click = [activate](QWidget *w, QPoint pos) {
    if (activate)
      QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
    else
      QTest::mouseClick(w, Qt::LeftButton, {}, pos);
  };
  if (col == 0 && row == 0) {
    auto *corner = grid->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(corner != nullptr);
    click(corner, corner->rect().center());
    return;
  }
  if (row > 0) grid->scrollTo(grid->model()->index(row - 1, std::max(col, 1) - 1));
  if (col == 0) {
    QHeaderView *h = grid->verticalHeader();
    click(h->viewport(), QPoint(4, h->sectionViewportPosition(row - 1) + h->sectionSize(row - 1) / 2));
  } else if (row == 0) {
    QHeaderView *h = grid->horizontalHeader();
    click(h->viewport(), QPoint(h->sectionViewportPosition(col - 1) + h->sectionSize(col - 1) / 2, 4));
  } else {
    click(grid->viewport(), grid->visualRect(grid->model()->index(row - 1, col - 1)).center());
  }
}

void Pick(Form1 &form, int col, int row) { MouseOn(form, col, row, false); }
void Activate(Form1 &form, int col, int row) { MouseOn(form, col, row, true); }

// Types text into an unlocked cell and finishes with Enter.
void TypeIntoCell(Form1 &form, int col, int row, const QString &text) {
  VaSpread *grid = form.vaSpread1;
  const QModelIndex index = grid->model()->index(row - 1, col - 1);
  grid->setCurrentIndex(index);
  grid->edit(index);
  auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
  QVERIFY2(editor != nullptr, "the cell did not open for typing");
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the view finishes the edit queued
}

// Steps of the user, one per text: "pick C,R", "activate C,R", "name TEXT"
// (typed into Text1 with Enter), "edit", "insert", "delete", "save".
void Run(Form1 &form, const QStringList &steps) {
  for (const QString &step : steps) {
    const QString word = step.section(QLatin1Char(' '), 0, 0);
    const QString rest = step.section(QLatin1Char(' '), 1);
    const int col = rest.section(QLatin1Char(','), 0, 0).toInt();
    const int row = rest.section(QLatin1Char(','), 1, 1).toInt();
    if (word == QLatin1String("pick")) {
      Pick(form, col, row);
    } else if (word == QLatin1String("activate")) {
      Activate(form, col, row);
    } else if (word == QLatin1String("name")) {
      Type(form, rest);
    } else if (word == QLatin1String("edit")) {
      Click(form.SSCommand3);
    } else if (word == QLatin1String("save")) {
      Click(form.SSCommand4);
    } else if (word == QLatin1String("insert") || word == QLatin1String("delete")) {
      // A direct call runs the handler even where the button is disabled.
      controls::SSCommand *button = word == QLatin1String("insert") ? form.SSCommand5 : form.SSCommand6;
      if (button->isEnabled())
        Click(button);
      else if (button == form.SSCommand5)
        form.SSCommand5_Click();
      else
        form.SSCommand6_Click();
    } else {
      QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
  }
}

QStringList Names(const Form1 &form) {
  QStringList names;
  for (int r = 1; r <= form.vaSpread1->maxRows(); ++r) names << Cell(form, 0, r);
  return names;
}

QStringList Names(const TableRows &rows) {
  QStringList names;
  for (const auto &row : rows) names << QString::fromStdString(row[0]);
  return names;
}

// Every text of the grid, headers included, row by row.
QStringList Texts(const Form1 &form) {
  QStringList texts;
  for (int r = 0; r <= form.vaSpread1->maxRows(); ++r)
    for (int c = 0; c <= form.vaSpread1->maxCols(); ++c) texts << Cell(form, c, r);
  return texts;
}

// The archive in the folder as the next start reads it.
TableRows ReadBack() {
  using namespace Module1;
  for (auto &row : VaultTable) row.fill(std::string());
  RowCount = 99;
  ColumnCount = 9;
  const int n = ReadVault();
  TableRows rows;
  for (int r = 0; r < n; ++r) rows.emplace_back(VaultTable[r].begin(), VaultTable[r].begin() + ColumnCount + 1);
  return rows;
}

QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

bool ClipboardMarkedSecret() {
  const QMimeData *data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->data(QString::fromLatin1(runtime::kPasswordManagerHint)) == "secret";
}

const QString kBefore = QStringLiteral("held before");

const std::string kNoCredentials =
    "[LoginPassword]がありません。このまま保存終了すると、次回このファイルが開けなくなります。このまま保存しますか？";

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseBuiltCipher(); }
  void init() { QGuiApplication::clipboard()->setText(kBefore); }

  void displayAndEditStates_data();
  void displayAndEditStates();
  void displayDropsUnsavedChanges();

  void copyGivesStoredText_data();
  void copyGivesStoredText();
  void copyAfterUnsavedEditGivesOldText();
  void copyWithoutTableRowLeavesClipboard_data();
  void copyWithoutTableRowLeavesClipboard();
  void closingAfterCopyEmptiesClipboard();

  void cellPickCopiesOnlyAtLevel0_data();
  void cellPickCopiesOnlyAtLevel0();
  void cellPickButtonsAndItemName_data();
  void cellPickButtonsAndItemName();

  void saveWritesTheGridAndRotatesBackups();
  void saveWithoutCredentialsRow_data();
  void saveWithoutCredentialsRow();
  void saveStopsAtFirstUnnamedRow();
  void saveWithFirstRowUnnamedKeepsEverything();
  void saveRefusesWhatARecordCannotHold_data();
  void saveRefusesWhatARecordCannotHold();
  void saveWhileMaskedDoesNothing_data();
  void saveWhileMaskedDoesNothing();
  void renameThroughText1AndSave();
  void changedPasswordsWorkAfterRestart();

  void rowCommands_data();
  void rowCommands();
  void gridStopsAt99Rows();
};

void CommandsTest::displayAndEditStates_data() {
  // Steps: D Display, E Edit, H pick the row header of row 2, C pick cell (1, 3).
  QTest::addColumn<QString>("steps");
  QTest::addColumn<int>("level");
  QTest::addColumn<int>("editMode");
  QTest::addColumn<QColor>("displayColour");
  QTest::addColumn<QColor>("editColour");
  QTest::addColumn<QString>("enabled");  // E Edit, S Save, I Insert, D Delete
  QTest::addColumn<QString>("label");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("star");
  QTest::addColumn<QList<int>>("clear");  // columns shown in clear
  const QString pw = QStringLiteral("Password"), item = QStringLiteral("Item Name");
  QTest::newRow("level 1") << "D" << 1 << 0 << kLightCyan << kFace << "" << pw << "" << false << QList<int>{1};
  QTest::newRow("level 2") << "DD" << 2 << 0 << kCyan << kFace << "ES" << pw << "" << true << QList<int>{1, 2, 3};
  QTest::newRow("back to level 0") << "DDD" << 0 << 0 << kFace << kFace << "" << pw << "" << true << QList<int>{};
  QTest::newRow("and on to level 1") << "DDDD" << 1 << 0 << kLightCyan << kFace << "" << pw << "" << false
                                     << QList<int>{1};
  QTest::newRow("row header at level 2") << "DDH" << 2 << 0 << kCyan << kFace << "ESID" << pw << "" << true
                                         << QList<int>{1, 2, 3};
  QTest::newRow("level 0 disables Insert and Delete")
      << "DDHD" << 0 << 0 << kFace << kFace << "" << pw << "" << true << QList<int>{};
  QTest::newRow("edit on: the active row's name")
      << "DDE" << 2 << 1 << kCyan << kLightCyan << "ES" << item << "Bank" << false << QList<int>{1, 2, 3};
  QTest::newRow("edit on after a row header")
      << "DDHE" << 2 << 1 << kCyan << kLightCyan << "ESID" << item << "LoginPassword" << false
      << QList<int>{1, 2, 3};
  QTest::newRow("edit on, then a data cell") << "DDEC" << 2 << 1 << kCyan << kLightCyan << "ES" << item << "Card"
                                             << false << QList<int>{1, 2, 3};
  QTest::newRow("edit off empties and masks the box")
      << "DDEE" << 2 << 0 << kCyan << kFace << "ES" << pw << "" << true << QList<int>{1, 2, 3};
  QTest::newRow("display in edit mode") << "DDEHD" << 0 << 0 << kFace << kFace << "" << pw << "" << true
                                        << QList<int>{};
}

void CommandsTest::displayAndEditStates() {
  QFETCH(QString, steps);
  QFETCH(int, level);
  QFETCH(int, editMode);
  QFETCH(QColor, displayColour);
  QFETCH(QColor, editColour);
  QFETCH(QString, enabled);
  QFETCH(QString, label);
  QFETCH(QString, text);
  QFETCH(bool, star);
  QFETCH(QList<int>, clear);
  OPEN_SESSION(session);
  Unlock(form);
  for (QChar step : steps) {
    if (step == QLatin1Char('D')) Click(form.SSCommand1);
    if (step == QLatin1Char('E')) Click(form.SSCommand3);
    if (step == QLatin1Char('H')) Pick(form, 0, 2);
    if (step == QLatin1Char('C')) Pick(form, 1, 3);
  }
  QCOMPARE(Module1::DisplayLevel, level);
  QCOMPARE(Module1::EditMode, editMode);
  QCOMPARE(form.SSCommand1->backColor(), displayColour);
  QCOMPARE(form.SSCommand3->backColor(), editColour);
  QVERIFY(form.SSCommand1->isEnabled());
  QVERIFY(form.SSCommand2->isEnabled());
  QCOMPARE(form.SSCommand3->isEnabled(), enabled.contains(QLatin1Char('E')));
  QCOMPARE(form.SSCommand4->isEnabled(), enabled.contains(QLatin1Char('S')));
  QCOMPARE(form.SSCommand5->isEnabled(), enabled.contains(QLatin1Char('I')));
  QCOMPARE(form.SSCommand6->isEnabled(), enabled.contains(QLatin1Char('D')));
  QCOMPARE(form.Label1->text(), label);
  QCOMPARE(form.Text1->text(), text);
  QCOMPARE(form.passwordChar(), star ? QStringLiteral("*") : QString());
  QCOMPARE(form.Text1->echoMode(), star ? QLineEdit::Password : QLineEdit::Normal);

  // The grid: refilled for the level, and open for typing only in edit mode.
  for (size_t r = 0; r < kRows.size(); ++r)
    for (int c = 1; c <= 3; ++c)
      QCOMPARE(Cell(form, c, static_cast<int>(r) + 1),
               clear.contains(c) ? QString::fromStdString(kRows[r][c]) : QStringLiteral("********"));
  QCOMPARE(Names(form), Names(kRows));
  const QModelIndex cell = form.vaSpread1->model()->index(0, 1);
  QCOMPARE(bool(form.vaSpread1->model()->flags(cell) & Qt::ItemIsEditable), editMode == 1);
  form.vaSpread1->setRow(-1);
  form.vaSpread1->setCol(-1);
  QCOMPARE(form.vaSpread1->lock(), editMode == 0);
  QVERIFY(session.box.Shown().empty());
}

void CommandsTest::displayDropsUnsavedChanges() {
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 2, 1, QStringLiteral("typed"));
  Run(form, {"pick 0,3", "insert"});
  QCOMPARE(Cell(form, 2, 1), QStringLiteral("typed"));
  ToLevel(form, 3);
  QCOMPARE(Cell(form, 2, 1), QStringLiteral("b4nk-pass"));
  QCOMPARE(Names(form).mid(0, 4), Names(kRows));
  QVERIFY(session.folder.Snapshot() == files);  // nothing was written
}

void CommandsTest::copyGivesStoredText_data() {
  QTest::addColumn<int>("level");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("copied");
  QTest::newRow("masked password") << 0 << 2 << 1 << "b4nk-pass";
  QTest::newRow("masked, blanks kept") << 1 << 3 << 3 << " padded ";
  QTest::newRow("in clear") << 2 << 2 << 4 << "m41l";
  QTest::newRow("empty field leaves an empty text") << 0 << 1 << 3 << "";
  QTest::newRow("the hint word") << 0 << 1 << 2 << "blue whale";
  QTest::newRow("an item name") << 2 << 0 << 4 << "Mail";
}

void CommandsTest::copyGivesStoredText() {
  QFETCH(int, level);
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(QString, copied);
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, level);
  // The cursor moves without a pick, so only Copy puts anything on the clipboard.
  if (col == 0)
    Pick(form, 0, row);
  else
    form.vaSpread1->setCurrentIndex(form.vaSpread1->model()->index(row - 1, col - 1));
  QCOMPARE(ClipboardText(), kBefore);
  Click(form.SSCommand2);
  QCOMPARE(ClipboardText(), copied);
  QVERIFY(ClipboardMarkedSecret());
  QCOMPARE(Module1::ActiveRow, row);
  QCOMPARE(Module1::ActiveColumn, col);
}

void CommandsTest::copyAfterUnsavedEditGivesOldText() {
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 2, 1, QStringLiteral("not saved"));
  QCOMPARE(Cell(form, 2, 1), QStringLiteral("not saved"));
  Click(form.SSCommand2);
  QCOMPARE(ClipboardText(), QStringLiteral("b4nk-pass"));
}

void CommandsTest::copyWithoutTableRowLeavesClipboard_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<int>("activeRow");     // set directly when not -1
  QTest::addColumn<int>("activeColumn");  // likewise
  QTest::newRow("corner picked") << QStringList{"pick 0,0"} << -1 << -1;
  QTest::newRow("column header picked") << QStringList{"pick 2,0"} << -1 << -1;
  // The grid has a row more than the table: the last one has no table row.
  QTest::newRow("row past RowCount") << QStringList{"edit", "activate 0,2", "pick 1,5"} << -1 << -1;
  QTest::newRow("column past the table") << QStringList{} << 1 << Module1::kTableFields;
  QTest::newRow("negative column") << QStringList{} << 1 << -1;
  QTest::newRow("negative row") << QStringList{} << -3 << 1;
}

void CommandsTest::copyWithoutTableRowLeavesClipboard() {
  QFETCH(QStringList, steps);
  QFETCH(int, activeRow);
  QFETCH(int, activeColumn);
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  Run(form, steps);
  if (activeRow != -1 || activeColumn != -1) {
    Module1::ActiveRow = activeRow;
    Module1::ActiveColumn = activeColumn;
    form.CopyCellToClipboard();
  } else {
    Click(form.SSCommand2);
  }
  QCOMPARE(ClipboardText(), kBefore);
  QVERIFY(!ClipboardMarkedSecret());
}

void CommandsTest::closingAfterCopyEmptiesClipboard() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  Pick(form, 2, 1);
  QCOMPARE(ClipboardText(), QStringLiteral("b4nk-pass"));
  QVERIFY(form.close());
  QVERIFY(ClipboardText().isEmpty());
  QVERIFY(ClipboardMarkedSecret());  // the clearing too, for history tools
}

void CommandsTest::cellPickCopiesOnlyAtLevel0_data() {
  QTest::addColumn<int>("level");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("clipboard");
  QTest::newRow("level 0, masked cell") << 0 << 2 << 1 << "b4nk-pass";
  QTest::newRow("level 0, another row") << 0 << 3 << 3 << " padded ";
  QTest::newRow("level 1") << 1 << 2 << 1 << kBefore;
  QTest::newRow("level 1, clear column") << 1 << 1 << 1 << kBefore;
  QTest::newRow("level 2") << 2 << 2 << 1 << kBefore;
  QTest::newRow("level 0, column header") << 0 << 2 << 0 << kBefore;
  QTest::newRow("level 0, row header") << 0 << 0 << 2 << kBefore;
  QTest::newRow("level 0, corner") << 0 << 0 << 0 << kBefore;
}

void CommandsTest::cellPickCopiesOnlyAtLevel0() {
  QFETCH(int, level);
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(QString, clipboard);
  OPEN_SESSION(session);
  if (level == 0) {
    Type(form, kLogin);  // the grid in view, the window still small
  } else {
    Unlock(form);
    ToLevel(form, level);
  }
  form.Text1->setText(QStringLiteral("typed"));
  Pick(form, col, row);
  QCOMPARE(ClipboardText(), clipboard);
  QCOMPARE(ClipboardMarkedSecret(), clipboard != kBefore);
  QCOMPARE(Module1::ActiveRow, row);
  QCOMPARE(Module1::ActiveColumn, col);
  QCOMPARE(form.Text1->text(), QStringLiteral("typed"));  // not in edit mode
}

void CommandsTest::cellPickButtonsAndItemName_data() {
  QTest::addColumn<int>("level");
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<bool>("insertDelete");
  QTest::addColumn<QString>("text");
  QTest::newRow("level 2, row header") << 2 << QStringList{"pick 0,2"} << true << "";
  QTest::newRow("level 2, corner") << 2 << QStringList{"pick 0,0"} << true << "";
  QTest::newRow("level 2, then a data cell") << 2 << QStringList{"pick 0,2", "pick 1,3"} << false << "";
  QTest::newRow("level 2, then a column header") << 2 << QStringList{"pick 0,2", "pick 2,0"} << false << "";
  QTest::newRow("level 0, row header") << 0 << QStringList{"pick 0,2"} << false << "";
  QTest::newRow("level 1, row header") << 1 << QStringList{"pick 0,2"} << false << "";
  QTest::newRow("edit mode, data cell") << 2 << QStringList{"edit", "pick 2,3"} << false << "Card";
  QTest::newRow("edit mode, row header keeps the box")
      << 2 << QStringList{"edit", "pick 2,3", "pick 0,4"} << true << "Card";
  QTest::newRow("edit mode, row without a name")
      << 2 << QStringList{"edit", "activate 0,3", "pick 2,3"} << false << "";
}

void CommandsTest::cellPickButtonsAndItemName() {
  QFETCH(int, level);
  QFETCH(QStringList, steps);
  QFETCH(bool, insertDelete);
  QFETCH(QString, text);
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, level);
  Run(form, steps);
  QCOMPARE(form.SSCommand5->isEnabled(), insertDelete);
  QCOMPARE(form.SSCommand6->isEnabled(), insertDelete);
  QCOMPARE(form.Text1->text(), text);
  QCOMPARE(ClipboardText(), kBefore);
}

void CommandsTest::saveWritesTheGridAndRotatesBackups() {
  OPEN_SESSION(session);
  const std::string first = session.folder.Read("Vantry.csv");
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 2, 1, QStringLiteral("n3w-pass"));
  Click(form.SSCommand4);
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(Module1::RowCount, int16_t(4));
  const std::string second = session.folder.Read("Vantry.csv");
  QCOMPARE(session.folder.Read("Vantry1.csv"), first);
  QVERIFY(!session.folder.Has("Vantry2.csv"));

  TypeIntoCell(form, 1, 4, QStringLiteral("bob"));
  Click(form.SSCommand4);
  QCOMPARE(session.folder.Read("Vantry1.csv"), second);
  QCOMPARE(session.folder.Read("Vantry2.csv"), first);
  // The grid is not refilled and the state stays.
  QCOMPARE(Module1::DisplayLevel, 2);
  QCOMPARE(Module1::EditMode, 1);

  TableRows expected = kRows;
  expected[0][2] = "n3w-pass";
  expected[3][1] = "bob";
  QCOMPARE(ReadBack(), expected);
}

void CommandsTest::saveWithoutCredentialsRow_data() {
  QTest::addColumn<int>("answer");
  QTest::newRow("OK writes") << runtime::kAnswerOk;
  QTest::newRow("Cancel writes nothing") << runtime::kAnswerCancel;
}

void CommandsTest::saveWithoutCredentialsRow() {
  QFETCH(int, answer);
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  session.box.Answer(answer);
  Unlock(form);
  ToLevel(form, 2);
  Run(form, {"pick 0,2", "delete", "save"});
  QCOMPARE(session.box.Shown().size(), size_t(1));
  QCOMPARE(session.box.Shown()[0].text, kNoCredentials);
  QCOMPARE(session.box.Shown()[0].caption, std::string("Save / Vantry"));
  QCOMPARE(session.box.Shown()[0].style, runtime::kStyleCriticalOkCancel);
  if (answer == runtime::kAnswerOk) {
    QCOMPARE(Module1::RowCount, int16_t(3));
    QCOMPARE(session.folder.Read("Vantry1.csv"), files.at("Vantry.csv"));
    const TableRows expected{kRows[0], kRows[2], kRows[3]};
    QCOMPARE(ReadBack(), expected);
    // The built-in passwords apply at the next start.
    QVERIFY(Module1::LoginPasswordText != kLogin.toStdString());
  } else {
    QCOMPARE(Module1::RowCount, int16_t(3));  // the Delete moved it; Save did not
    QVERIFY(session.folder.Snapshot() == files);
  }
}

void CommandsTest::saveStopsAtFirstUnnamedRow() {
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  Run(form, {"edit", "activate 0,3", "save"});
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(Module1::RowCount, int16_t(2));
  // The rows below stay in the grid until the next Display.
  QCOMPARE(Names(form), (QStringList{"Bank", "LoginPassword", "", "Card", "Mail"}));
  ToLevel(form, 3);
  QCOMPARE(Names(form), (QStringList{"Bank", "LoginPassword"}));
  QCOMPARE(ReadBack(), (TableRows{kRows[0], kRows[1]}));
}

// Nothing is collected, so the table still holds every row for Display.
void CommandsTest::saveWithFirstRowUnnamedKeepsEverything() {
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  Unlock(form);
  ToLevel(form, 2);
  Run(form, {"edit", "activate 0,1", "save"});
  QVERIFY(session.box.Shown().empty());
  QVERIFY(session.folder.Snapshot() == files);
  QCOMPARE(Module1::RowCount, int16_t(4));
  ToLevel(form, 3);
  QCOMPARE(Names(form), Names(kRows));
  QCOMPARE(Cell(form, 2, 1), QStringLiteral("b4nk-pass"));
}

void CommandsTest::saveRefusesWhatARecordCannotHold_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("value");  // written as a paste would
  QTest::addColumn<QString>("message");
  const QString bad = QStringLiteral(" holds a comma, a line break or a NUL character.");
  QTest::newRow("typed comma") << QStringList{} << 2 << 1 << "b4nk,pass"
                               << "Can not save: row 1 (Bank), column 2 (Login)" + bad;
  QTest::newRow("line feed") << QStringList{} << 3 << 4 << "two\nlines"
                             << "Can not save: row 4 (Mail), column 3 (Confirm)" + bad;
  QTest::newRow("carriage return in the hint word")
      << QStringList{} << 1 << 2 << "blue\r" << "Can not save: row 2 (LoginPassword), column 1 (User Name)" + bad;
  QTest::newRow("comma in a new item name")
      << QStringList{"pick 0,3", "name Card, old"} << -1 << -1 << ""
      << "Can not save: row 3 (Card, old), the item name" + bad;
  QTest::newRow("record too long") << QStringList{} << 1 << 4 << QString(500, QLatin1Char('x'))
                                   << "Can not save: row 4 (Mail) is too long: at most 510 bytes fit in one record.";
}

void CommandsTest::saveRefusesWhatARecordCannotHold() {
  QFETCH(QStringList, steps);
  QFETCH(int, col);
  QFETCH(int, row);
  QFETCH(QString, value);
  QFETCH(QString, message);
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  const auto table = Module1::VaultTable;
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  Run(form, steps);
  if (col >= 0) form.vaSpread1->SetText(col, row, value);
  const QStringList texts = Texts(form);
  Click(form.SSCommand4);
  QCOMPARE(session.box.Shown().size(), size_t(1));
  QCOMPARE(QString::fromStdString(session.box.Shown()[0].text), message);
  QCOMPARE(session.box.Shown()[0].caption, std::string("Save / Vantry"));
  QCOMPARE(session.box.Shown()[0].style, runtime::kStyleCritical);
  QVERIFY(session.folder.Snapshot() == files);
  QVERIFY(Module1::VaultTable == table);
  QCOMPARE(Module1::RowCount, int16_t(4));
  QCOMPARE(Texts(form), texts);
}

void CommandsTest::saveWhileMaskedDoesNothing_data() {
  QTest::addColumn<int>("level");
  QTest::newRow("level 0") << 0;
  QTest::newRow("level 1") << 1;
}

// The button is disabled there; the handler itself must not store masks.
void CommandsTest::saveWhileMaskedDoesNothing() {
  QFETCH(int, level);
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  const auto table = Module1::VaultTable;
  Unlock(form);
  ToLevel(form, level);
  QVERIFY(!form.SSCommand4->isEnabled());
  form.SSCommand4_Click();
  QVERIFY(session.box.Shown().empty());
  QVERIFY(session.folder.Snapshot() == files);
  QVERIFY(Module1::VaultTable == table);
}

void CommandsTest::renameThroughText1AndSave() {
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  Run(form, {"edit", "pick 2,3"});
  QCOMPARE(form.Text1->text(), QStringLiteral("Card"));
  Type(form, QStringLiteral("Credit card"));
  QCOMPARE(Cell(form, 0, 3), QStringLiteral("Credit card"));
  QCOMPARE(Module1::VaultTable[2][0], std::string("Card"));  // the grid only, until Save
  Click(form.SSCommand4);
  QVERIFY(session.box.Shown().empty());
  TableRows expected = kRows;
  expected[2][0] = "Credit card";
  QCOMPARE(ReadBack(), expected);  // the record after it chains the new name
}

void CommandsTest::changedPasswordsWorkAfterRestart() {
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 2, 2, QStringLiteral("new login"));
  TypeIntoCell(form, 3, 2, QStringLiteral("new edit"));
  Click(form.SSCommand4);
  QVERIFY(session.box.Shown().empty());

  // This run keeps the passwords it started with.
  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  QVERIFY(!form.SSCommand1->isEnabled());
  Type(form, QStringLiteral("new edit"));
  QVERIFY(!form.SSCommand1->isEnabled());
  Type(form, kEdit);
  QVERIFY(form.SSCommand1->isEnabled());

  // The next start reads the new ones.
  session.form.reset();
  QCOMPARE(ReadBack().size(), kRows.size());
  Form1 next;
  next.show();
  QVERIFY(QTest::qWaitForWindowActive(&next));
  Type(next, kLogin);
  QVERIFY(!next.SSPanel1->isVisible());
  QCOMPARE(Module1::FailedTries, 1);
  Type(next, QStringLiteral("new login"));
  QVERIFY(next.SSPanel1->isVisible());
  Type(next, kEdit);
  QVERIFY(!next.SSCommand1->isEnabled());
  Type(next, QStringLiteral("new edit"));
  QVERIFY(next.SSCommand1->isEnabled());
}

void CommandsTest::rowCommands_data() {
  QTest::addColumn<int>("rows");  // of the archive
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<int>("from");
  QTest::addColumn<QStringList>("names");  // of grid rows from, from + 1, ... after the steps
  QTest::addColumn<int>("gridRows");
  QTest::addColumn<int>("rowCount");
  const QStringList all = Names(ManyRows(6));
  const QString lp = QStringLiteral("LoginPassword");
  // Insert and Delete.
  QTest::newRow("insert at row 5") << 6 << QStringList{"pick 0,5", "insert"} << 4
                                   << QStringList{"Item4", "New5", "Item5", "Item6"} << 7 << 7;
  QTest::newRow("insert at row 97") << 97 << QStringList{"pick 0,97", "insert"} << 96
                                    << QStringList{"Item96", "New97", "Item97"} << 98 << 98;
  QTest::newRow("insert at row 98 does nothing")
      << 98 << QStringList{"pick 0,98", "insert"} << 97 << QStringList{"Item97", "Item98"} << 98 << 98;
  QTest::newRow("insert into a full grid does nothing")
      << 99 << QStringList{"pick 0,50", "insert"} << 49 << QStringList{"Item49", "Item50", "Item51"} << 99 << 99;
  QTest::newRow("insert after a corner pick does nothing") << 6 << QStringList{"pick 0,0", "insert"} << 1 << all
                                                           << 6 << 6;
  QTest::newRow("insert after a column header pick does nothing")
      << 6 << QStringList{"pick 2,0", "insert"} << 1 << all << 6 << 6;
  QTest::newRow("delete down to two rows") << 4 << QStringList{"pick 0,1", "delete", "delete", "delete"} << 1
                                           << QStringList{"Item3", "Item4"} << 2 << 2;
  QTest::newRow("delete the last row twice") << 4 << QStringList{"pick 0,4", "delete", "delete"} << 1
                                             << QStringList{"Item1", lp, "Item3"} << 3 << 3;
  QTest::newRow("delete after a corner pick does nothing") << 6 << QStringList{"pick 0,0", "delete"} << 1 << all
                                                           << 6 << 6;
  // The cell-activate event changes the grid only.
  QTest::newRow("activate a named row opens a blank row above it")
      << 6 << QStringList{"edit", "activate 0,4"} << 3 << QStringList{"Item3", "", "Item4", "Item5", "Item6"} << 7
      << 6;
  QTest::newRow("activate the blank row again removes it")
      << 6 << QStringList{"edit", "activate 0,4", "activate 0,4"} << 1 << all << 6 << 6;
  QTest::newRow("activate outside edit mode") << 6 << QStringList{"activate 0,4"} << 1 << all << 6 << 6;
  QTest::newRow("activate a data cell") << 6 << QStringList{"edit", "activate 2,4"} << 1 << all << 6 << 6;
  QTest::newRow("activate the corner") << 6 << QStringList{"edit", "activate 0,0"} << 1 << all << 6 << 6;
  QTest::newRow("activate a column header") << 6 << QStringList{"edit", "activate 2,0"} << 1 << all << 6 << 6;
  // Grid and RowCount out of step: the grid's own count governs.
  QTest::newRow("opened row, then insert at the last row")
      << 6 << QStringList{"edit", "activate 0,2", "pick 0,7", "insert"} << 1
      << QStringList{"Item1", "", lp, "Item3", "Item4", "Item5", "New7", "Item6"} << 8 << 8;
  QTest::newRow("opened row, then delete") << 6 << QStringList{"edit", "activate 0,2", "pick 0,1", "delete"} << 1
                                           << QStringList{"", lp, "Item3", "Item4", "Item5", "Item6"} << 6 << 6;
  QTest::newRow("short save, then delete")
      << 6 << QStringList{"edit", "activate 0,3", "save", "pick 0,1", "delete"} << 1
      << QStringList{lp, "", "Item3", "Item4", "Item5", "Item6"} << 6 << 6;
  QTest::newRow("short save, then insert")
      << 6 << QStringList{"edit", "activate 0,3", "save", "pick 0,1", "insert"} << 1
      << QStringList{"New1", "Item1", lp, "", "Item3", "Item4", "Item5", "Item6"} << 8 << 8;
  QTest::newRow("unnamed row removed, then insert")
      << 6 << QStringList{"edit", "pick 0,3", "name ", "activate 0,3", "pick 0,5", "insert"} << 1
      << QStringList{"Item1", lp, "Item4", "Item5", "New5", "Item6"} << 6 << 6;
}

void CommandsTest::rowCommands() {
  QFETCH(int, rows);
  QFETCH(QStringList, steps);
  QFETCH(int, from);
  QFETCH(QStringList, names);
  QFETCH(int, gridRows);
  QFETCH(int, rowCount);
  const TableRows archive = ManyRows(rows);
  OPEN_SESSION(session, archive);
  Unlock(form);
  ToLevel(form, 2);
  const auto table = Module1::VaultTable;
  Run(form, steps);

  QCOMPARE(form.vaSpread1->maxRows(), gridRows);
  QCOMPARE(Names(form).mid(from - 1, names.size()), names);
  QCOMPARE(Module1::RowCount, int16_t(rowCount));
  // Rows move whole; new and opened rows are blank but for Insert's name.
  for (int r = 1; r <= gridRows; ++r) {
    const QString name = Cell(form, 0, r);
    const auto it = std::find_if(archive.begin(), archive.end(),
                                 [&](const auto &row) { return QString::fromStdString(row[0]) == name; });
    for (int c = 1; c <= 3; ++c)
      QCOMPARE(Cell(form, c, r), it == archive.end() ? QString() : QString::fromStdString((*it)[c]));
  }
  if (!steps.contains(QStringLiteral("save"))) QVERIFY(Module1::VaultTable == table);
  // The header row stays whole.
  QCOMPARE(Cell(form, 0, 0), QStringLiteral("Item"));
  for (int c = 1; c <= 3; ++c) QCOMPARE(Cell(form, c, 0).toStdString(), kTitles[c - 1]);
  QVERIFY(session.box.Shown().empty());
}

// An archive of 98 rows: the grid grows to 99 and no further, and Save
// writes an archive the next start reads back whole.
void CommandsTest::gridStopsAt99Rows() {
  const TableRows archive = ManyRows(98);
  OPEN_SESSION(session, archive);
  Unlock(form);
  ToLevel(form, 2);
  Run(form, {"edit", "activate 0,1"});
  QCOMPARE(form.vaSpread1->maxRows(), 99);
  Run(form, {"activate 0,3", "pick 0,5", "insert"});
  QCOMPARE(form.vaSpread1->maxRows(), 99);
  QCOMPARE(Cell(form, 0, 99), QStringLiteral("Item98"));
  Run(form, {"pick 0,1", "name Extra", "save"});
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(Module1::RowCount, int16_t(99));
  TableRows expected = archive;
  expected.insert(expected.begin(), {"Extra", "", "", ""});
  QCOMPARE(ReadBack(), expected);
}

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
