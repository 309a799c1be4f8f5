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
#include "tests/support/ClipboardProbe.h"
#include "runtime/MessageBox.h"
#include "tests/mainwindow/Session.h"

using controls::VaSpread;

Q_DECLARE_METATYPE(TableRows)

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

void Pick(Form1 &form, int col, int row) { MouseOn(form, col, row, false); }
void Activate(Form1 &form, int col, int row) { MouseOn(form, col, row, true); }

// Unlocks with the passwords the archive in use gives.
void UnlockAsRead(Form1 &form) {
  Type(form, QString::fromStdString(Module1::LoginPasswordText));
  Type(form, QString::fromStdString(Module1::EditPasswordText));
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

// Presses Save, which must refuse with message and change nothing: not the
// folder (as files holds it), not the table, not the grid.
void ExpectSaveRefused(Session &session, Form1 &form, const QString &message,
                       const std::map<std::string, std::string> &files, const decltype(Module1::VaultTable) &table) {
  const QStringList texts = Texts(form);
  Click(form.SSCommand4);
  QCOMPARE(session.box.Shown().size(), size_t(1));
  QCOMPARE(QString::fromStdString(session.box.Shown()[0].text), message);
  QCOMPARE(session.box.Shown()[0].style, runtime::kStyleCritical);
  QCOMPARE(session.box.Shown()[0].caption, std::string("Save / Vantry"));
  QVERIFY(session.folder.Snapshot() == files);
  QVERIFY(Module1::VaultTable == table);
  QCOMPARE(Texts(form), texts);
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
  void saveNeverDropsANamedRow_data();
  void saveNeverDropsANamedRow();
  void saveAppliesCredentialRules_data();
  void saveAppliesCredentialRules();
  void pickAtLevel0ReachesOnlyArchiveRows();
  void closingWithUnsavedChanges_data();
  void closingWithUnsavedChanges();
  void closingWhenSaveIsRefusedStaysOpen();
  void savingOverAnArchiveChangedOnDisk();
  void bytesThatAreNotUtf8SurviveASave_data();
  void bytesThatAreNotUtf8SurviveASave();
  void saveRefusesWhatARecordCannotHold_data();
  void saveRefusesWhatARecordCannotHold();
  void saveWhileMaskedDoesNothing_data();
  void saveWhileMaskedDoesNothing();
  void renameThroughText1AndSave();
  void changedPasswordsWorkAfterRestart();
  void saveKeepsTheCurrentItem_data();
  void saveKeepsTheCurrentItem();
  void narrowArchivesSaveAgain_data();
  void narrowArchivesSaveAgain();
  void unnamedRecordsStayInTheGrid_data();
  void unnamedRecordsStayInTheGrid();

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
  QVERIFY(MarkedSecret());
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
  QVERIFY(!MarkedSecret());
}

void CommandsTest::closingAfterCopyEmptiesClipboard() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  Pick(form, 2, 1);
  QCOMPARE(ClipboardText(), QStringLiteral("b4nk-pass"));
  QVERIFY(form.close());
  QVERIFY(ClipboardText().isEmpty());
  QVERIFY(MarkedSecret());  // the clearing too, for history tools
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
  QCOMPARE(MarkedSecret(), clipboard != kBefore);
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
  // Nothing there to insert at or delete: the buttons say so.
  QTest::newRow("level 2, corner") << 2 << QStringList{"pick 0,0"} << false << "";
  QTest::newRow("level 2, row header, then the corner") << 2 << QStringList{"pick 0,2", "pick 0,0"} << false << "";
  QTest::newRow("level 2, column header, then a row header")
      << 2 << QStringList{"pick 2,0", "pick 0,3"} << true << "";
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
  const auto table = Module1::VaultTable;
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
    QVERIFY(Module1::VaultTable[3] == Module1::Row{});  // nothing of the row it no longer holds
    QCOMPARE(session.folder.Read("Vantry1.csv"), files.at("Vantry.csv"));
    const TableRows expected{kRows[0], kRows[2], kRows[3]};
    QCOMPARE(ReadBack(), expected);
    // The built-in passwords apply at the next start.
    QVERIFY(Module1::LoginPasswordText != kLogin.toStdString());
  } else {
    // Cancel leaves the table as it was: Display brings the row back, and a
    // later Save still writes it.
    QCOMPARE(Module1::RowCount, int16_t(4));
    QVERIFY(Module1::VaultTable == table);
    QVERIFY(session.folder.Snapshot() == files);
    ToLevel(form, 3);
    QCOMPARE(Names(form), Names(kRows));
    Click(form.SSCommand4);
    QCOMPARE(session.box.Shown().size(), size_t(1));
    QCOMPARE(ReadBack(), kRows);
  }
}

void CommandsTest::saveNeverDropsANamedRow_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QString>("typed");  // into cell 1 of the opened row, "" for nothing
  QTest::addColumn<int>("row");        // the opened row
  QTest::addColumn<QString>("refusal");
  const QString name = QStringLiteral(" has no item name.\r\nName it or remove it first.");
  QTest::newRow("blank row in the middle is left out") << QStringList{"edit", "activate 0,3", "save"} << "" << 3 << "";
  QTest::newRow("blank first row is left out") << QStringList{"edit", "activate 0,1", "save"} << "" << 1 << "";
  QTest::newRow("unnamed row with a value") << QStringList{"edit", "activate 0,3"} << "kept" << 3 << "Row 3" + name;
  QTest::newRow("unnamed first row with a value") << QStringList{"edit", "activate 0,1"} << "kept" << 1
                                                  << "Row 1" + name;
}

// Every named row is written; a blank row is left out of the archive and the
// grid; an unnamed row that holds values stops Save with nothing written.
void CommandsTest::saveNeverDropsANamedRow() {
  QFETCH(QStringList, steps);
  QFETCH(QString, typed);
  QFETCH(int, row);
  QFETCH(QString, refusal);
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  const auto table = Module1::VaultTable;
  Unlock(form);
  ToLevel(form, 2);
  Run(form, steps);
  if (!typed.isEmpty()) {
    TypeIntoCell(form, 1, row, typed);
    ExpectSaveRefused(session, form, refusal, files, table);
    QCOMPARE(Module1::RowCount, int16_t(4));
    return;
  }
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(Module1::RowCount, int16_t(4));
  QCOMPARE(session.folder.Read("Vantry1.csv"), files.at("Vantry.csv"));
  // The blank row has gone from the grid too, so each grid row shows its table row.
  QCOMPARE(Names(form), Names(kRows));
  ToLevel(form, 3);
  QCOMPARE(Names(form), Names(kRows));
  QCOMPARE(ReadBack(), kRows);
}

void CommandsTest::saveAppliesCredentialRules_data() {
  QTest::addColumn<int>("col");  // of the credentials row, grid row 2: 1 hint, 2 login, 3 edit
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("refusal");
  const QString different = QStringLiteral("\r\n異なるパスワードを設定してください。");
  QTest::newRow("login password equal to the edit password")
      << 2 << "edit sesame" << "ログインパスワードと編集パスワードが同じです。" + different;
  QTest::newRow("login password emptied") << 2 << "" << "ログインパスワードが設定されていません。";
  QTest::newRow("edit password of blanks") << 3 << "   " << "編集パスワードが設定されていません。";
  QTest::newRow("hint equal to the login password")
      << 1 << "open sesame" << "ログインパスワードと連想言葉が同じです。" + different;
  QTest::newRow("hint equal to the edit password once trimmed")
      << 1 << " edit sesame" << "編集パスワードと連想言葉が同じです。" + different;
}

// The credentials about to be written must let the next start in.
void CommandsTest::saveAppliesCredentialRules() {
  QFETCH(int, col);
  QFETCH(QString, value);
  QFETCH(QString, refusal);
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  const auto table = Module1::VaultTable;
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  form.vaSpread1->SetText(col, 2, value);
  ExpectSaveRefused(session, form, refusal, files, table);
}

// After rows were deleted and saved, a pick at level 0 copies only what the
// archive holds, row for row.
void CommandsTest::pickAtLevel0ReachesOnlyArchiveRows() {
  const TableRows archive = ManyRows(6);
  OPEN_SESSION(session, archive);
  Unlock(form);
  ToLevel(form, 2);
  Run(form, {"pick 0,4", "delete", "pick 0,4", "delete", "save", "pick 0,1", "delete"});
  QCOMPARE(Module1::RowCount, int16_t(4));  // the archive's rows; the last Delete is not saved
  const TableRows saved = ReadBack();
  QCOMPARE(saved.size(), size_t(4));
  ToLevel(form, 1);  // on to level 0: the grid shows the archive again
  QCOMPARE(form.vaSpread1->maxRows(), 4);
  for (int r = 1; r <= 4; ++r) {
    Pick(form, 2, r);
    QCOMPARE(ClipboardText().toStdString(), saved[r - 1][2]);
  }
  QGuiApplication::clipboard()->setText(kBefore);
  for (int r : {5, 6}) {
    Module1::ActiveRow = r;
    Module1::ActiveColumn = 2;
    form.CopyCellToClipboard();
    QCOMPARE(ClipboardText(), kBefore);
  }
  for (int r = 4; r < Module1::kTableRows; ++r) QVERIFY(Module1::VaultTable[r] == Module1::Row{});
}

void CommandsTest::closingWithUnsavedChanges_data() {
  QTest::addColumn<QStringList>("steps");  // besides "type": a value into cell (2, 1)
  QTest::addColumn<int>("answer");         // 0: no question expected
  QTest::addColumn<bool>("closes");
  QTest::addColumn<QString>("stored");  // cell (2, 1) in the archive afterwards
  QTest::newRow("nothing changed") << QStringList{} << 0 << true << "b4nk-pass";
  QTest::newRow("changed, then saved") << QStringList{"type", "save"} << 0 << true << "changed";
  QTest::newRow("changed, then dropped by Display") << QStringList{"type", "display"} << 0 << true << "b4nk-pass";
  QTest::newRow("typed back as it was") << QStringList{"type", "type back"} << 0 << true << "b4nk-pass";
  QTest::newRow("Save") << QStringList{"type"} << runtime::kAnswerSave << true << "changed";
  QTest::newRow("Discard") << QStringList{"type"} << runtime::kAnswerDiscard << true << "b4nk-pass";
  QTest::newRow("Cancel") << QStringList{"type"} << runtime::kAnswerCancel << false << "b4nk-pass";
  QTest::newRow("a row opened") << QStringList{"edit", "activate 0,3"} << runtime::kAnswerCancel << false
                                << "b4nk-pass";
  QTest::newRow("a row deleted") << QStringList{"pick 0,3", "delete"} << runtime::kAnswerDiscard << true
                                 << "b4nk-pass";
  QTest::newRow("an item renamed") << QStringList{"edit", "pick 0,3", "name Cards"} << runtime::kAnswerCancel
                                   << false << "b4nk-pass";
  // Typed without Enter: the open editor's text is a change as well.
  QTest::newRow("still being typed, Save") << QStringList{"type open"} << runtime::kAnswerSave << true << "changed";
  QTest::newRow("still being typed, Discard") << QStringList{"type open"} << runtime::kAnswerDiscard << true
                                              << "b4nk-pass";
  QTest::newRow("still being typed, Cancel") << QStringList{"type open"} << runtime::kAnswerCancel << false
                                             << "b4nk-pass";
  QTest::newRow("typed back as it was, no Enter") << QStringList{"type", "type back open"} << 0 << true
                                                  << "b4nk-pass";
}

void CommandsTest::closingWithUnsavedChanges() {
  QFETCH(QStringList, steps);
  QFETCH(int, answer);
  QFETCH(bool, closes);
  QFETCH(QString, stored);
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  for (const QString &step : steps) {
    if (step.startsWith(QLatin1String("type"))) {
      if (Module1::EditMode == 0) Click(form.SSCommand3);
      const QString text = step.contains(QLatin1String("back")) ? QStringLiteral("b4nk-pass") : QStringLiteral("changed");
      if (step.endsWith(QLatin1String("open")))
        TypeIntoCell(form, 2, 1, text, false);
      else
        TypeIntoCell(form, 2, 1, text);
    } else if (step == QLatin1String("display")) {
      ToLevel(form, 3);
    } else {
      Run(form, {step});
    }
  }
  if (!steps.join(QLatin1Char(' ')).endsWith(QLatin1String("open"))) Pick(form, 2, 1);
  if (answer != 0) session.box.Answer(answer);
  session.box.Clear();
  QCOMPARE(form.close(), closes);
  if (answer == 0) {
    QVERIFY(session.box.Shown().empty());
  } else {
    QCOMPARE(session.box.Shown().size(), size_t(1));
    QCOMPARE(session.box.Shown()[0].text,
             std::string("The grid holds changes that are not saved.\r\nSave them before closing?"));
    QCOMPARE(session.box.Shown()[0].style, runtime::kStyleSaveDiscardCancel);
    QCOMPARE(session.box.Shown()[0].caption, std::string("Save / Vantry"));
  }
  QCOMPARE(form.isVisible(), !closes);
  if (!closes) QCOMPARE(ClipboardText(), kBefore);  // the window and its state stay
  QCOMPARE(ReadBack()[0][2], stored.toStdString());
}

// Save chosen on closing, but the grid cannot be written: the window and
// every change stay.
void CommandsTest::closingWhenSaveIsRefusedStaysOpen() {
  OPEN_SESSION(session);
  const auto files = session.folder.Snapshot();
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 2, 1, QStringLiteral("a,b"));
  session.box.Answer(runtime::kAnswerSave);
  QVERIFY(!form.close());
  QCOMPARE(session.box.Shown().size(), size_t(2));
  QCOMPARE(session.box.Shown()[1].text,
           std::string("Row 1 (Bank), column 2 (Login) holds a comma, a line break or a NUL character."));
  QVERIFY(form.isVisible());
  QCOMPARE(Cell(form, 2, 1), QStringLiteral("a,b"));
  QVERIFY(session.folder.Snapshot() == files);
}

void CommandsTest::bytesThatAreNotUtf8SurviveASave_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::newRow("another cell changed") << QStringList{};
  QTest::newRow("rows moved by Insert") << QStringList{"pick 0,1", "insert"};
  QTest::newRow("rows moved by Delete") << QStringList{"pick 0,1", "delete"};
}

// A value or an item name of bytes that are not UTF-8 is written back as it
// was read, also where it is the next record's chain value.
void CommandsTest::bytesThatAreNotUtf8SurviveASave() {
  QFETCH(QStringList, steps);
  TableRows rows = kRows;
  rows[0][0] = "Ba\xffnk";
  rows[2][2] = "12\xfe\xff";
  rows[3][1] = "caf\xe9";  // Latin-1
  OPEN_SESSION(session, rows);
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 1, 4, QStringLiteral("changed"));
  Run(form, steps);
  Click(form.SSCommand4);
  QVERIFY(session.box.Shown().empty());
  TableRows expected = rows;
  expected[3][1] = "changed";
  TableRows back = ReadBack();
  if (steps.contains(QStringLiteral("insert"))) back.erase(back.begin());
  if (steps.contains(QStringLiteral("delete"))) expected.erase(expected.begin());
  QCOMPARE(back, expected);
}

void CommandsTest::saveRefusesWhatARecordCannotHold_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<int>("col");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("value");  // written as a paste would
  QTest::addColumn<QString>("message");
  // The same wording the writer and the creation dialog use.
  const QString bad = QStringLiteral(" holds a comma, a line break or a NUL character.");
  QTest::newRow("typed comma") << QStringList{} << 2 << 1 << "b4nk,pass"
                               << "Row 1 (Bank), column 2 (Login)" + bad;
  QTest::newRow("line feed") << QStringList{} << 3 << 4 << "two\nlines"
                             << "Row 4 (Mail), column 3 (Confirm)" + bad;
  QTest::newRow("carriage return in the hint word")
      << QStringList{} << 1 << 2 << "blue\r" << "Row 2 (LoginPassword), column 1 (User Name)" + bad;
  QTest::newRow("comma in a new item name")
      << QStringList{"pick 0,3", "name Card, old"} << -1 << -1 << ""
      << "Row 3 (Card, old), the item name" + bad;
  QTest::newRow("record too long") << QStringList{} << 1 << 4 << QString(500, QLatin1Char('x'))
                                   << "Row 4 (Mail) is too long: at most 510 bytes fit in one record.";
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
  ExpectSaveRefused(session, form, message, files, table);
  QCOMPARE(Module1::RowCount, int16_t(4));
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

void CommandsTest::saveKeepsTheCurrentItem_data() {
  QTest::addColumn<QStringList>("before");  // steps before the Save
  QTest::addColumn<QString>("current");     // the item current before and after it
  QTest::addColumn<QStringList>("after");   // steps after it, then a second Save
  QTest::addColumn<QStringList>("names");   // of the archive at the end
  const QString lp = QStringLiteral("LoginPassword");
  QTest::newRow("row header under a blank row, Delete")
      << QStringList{"edit", "activate 0,3", "pick 0,6"} << "Item5" << QStringList{"delete"}
      << QStringList{"Item1", lp, "Item3", "Item4", "Item6"};
  QTest::newRow("cell under a blank row, new name")
      << QStringList{"edit", "activate 0,3", "pick 2,6"} << "Item5" << QStringList{"name Renamed"}
      << QStringList{"Item1", lp, "Item3", "Item4", "Renamed", "Item6"};
  QTest::newRow("under two blank rows, Insert")
      << QStringList{"edit", "activate 0,2", "activate 0,5", "pick 0,7"} << "Item5" << QStringList{"insert", "name Added"}
      << QStringList{"Item1", lp, "Item3", "Item4", "Added", "Item5", "Item6"};
  QTest::newRow("above the blank row nothing moves")
      << QStringList{"edit", "activate 0,5", "pick 2,3"} << "Item3" << QStringList{"name Third"}
      << QStringList{"Item1", lp, "Third", "Item4", "Item5", "Item6"};
}

// After Save has taken blank rows out of the grid, the current row (ActiveRow,
// the grid's cursor and the name in the box) is the item it was before.
void CommandsTest::saveKeepsTheCurrentItem() {
  QFETCH(QStringList, before);
  QFETCH(QString, current);
  QFETCH(QStringList, after);
  QFETCH(QStringList, names);
  OPEN_SESSION(session, ManyRows(6));
  Unlock(form);
  ToLevel(form, 2);
  Run(form, before);
  const QString box = form.Text1->text();
  QCOMPARE(Cell(form, 0, Module1::ActiveRow), current);
  Click(form.SSCommand4);
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(form.vaSpread1->maxRows(), 6);
  QCOMPARE(Cell(form, 0, Module1::ActiveRow), current);
  QCOMPARE(Cell(form, 0, form.vaSpread1->activeRow()), current);
  QCOMPARE(form.Text1->text(), box);
  Run(form, after);
  Click(form.SSCommand4);
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(Names(ReadBack()), names);
}

void CommandsTest::narrowArchivesSaveAgain_data() {
  QTest::addColumn<int>("columns");
  QTest::addColumn<int>("col");  // of the credentials row, grid row 2, typed into
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("refusal");  // "" when Save writes
  const QString different = QStringLiteral("\r\n異なるパスワードを設定してください。");
  QTest::newRow("one column: the hint changed") << 1 << 1 << "new hint" << "";
  QTest::newRow("one column: the hint emptied") << 1 << 1 << "" << "";
  QTest::newRow("two columns: the login password changed") << 2 << 2 << "new login" << "";
  QTest::newRow("two columns: the hint changed") << 2 << 1 << "new hint" << "";
  // What the grid shows is still checked.
  QTest::newRow("two columns: the login password emptied")
      << 2 << 2 << "" << "ログインパスワードが設定されていません。";
  QTest::newRow("two columns: the hint equal to the login password")
      << 2 << 1 << "open sesame" << "ログインパスワードと連想言葉が同じです。" + different;
}

// An archive of one or two columns has no place for the edit password (and
// one column none for the login password): Save checks only the credentials
// the grid shows, so such an archive can be saved again after an edit.
void CommandsTest::narrowArchivesSaveAgain() {
  QFETCH(int, columns);
  QFETCH(int, col);
  QFETCH(QString, value);
  QFETCH(QString, refusal);
  TempFolder folder;
  ScriptedMessageBox box;
  const std::vector<std::string> titles(kTitles.begin(), kTitles.begin() + columns);
  TableRows rows{{"Bank", "alice", "b4nk-pass"}, {"LoginPassword", "blue whale", "open sesame"}, {"Mail", "bob", "m41l"}};
  for (auto &row : rows) row.resize(columns + 1);
  QVERIFY(WriteAndReadArchive(titles, rows));
  const auto files = folder.Snapshot();
  Form1 form;
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  UnlockAsRead(form);
  ToLevel(form, 2);
  QVERIFY(form.SSCommand4->isEnabled());
  Click(form.SSCommand3);
  TypeIntoCell(form, 1, 3, QStringLiteral("carol"));
  if (value.isEmpty())
    form.vaSpread1->SetText(col, 2, value);
  else
    TypeIntoCell(form, col, 2, value);
  Click(form.SSCommand4);
  if (!refusal.isEmpty()) {
    QCOMPARE(box.Shown().size(), size_t(1));
    QCOMPARE(QString::fromStdString(box.Shown()[0].text), refusal);
    QVERIFY(folder.Snapshot() == files);
    return;
  }
  QVERIFY(box.Shown().empty());
  // Nothing more to save: the window closes without a question.
  QVERIFY(form.close());
  QVERIFY(box.Shown().empty());
  rows[2][1] = "carol";
  rows[1][col] = value.toStdString();
  QCOMPARE(ReadBack(), rows);
}

void CommandsTest::unnamedRecordsStayInTheGrid_data() {
  QTest::addColumn<TableRows>("archive");
  QTest::addColumn<QStringList>("steps");    // after Edit
  QTest::addColumn<QString>("refusal");      // of the first Save; "" when it writes
  QTest::addColumn<TableRows>("saved");      // the archive at the end
  const TableRows withOrphan{kRows[0], {"", "orphan", "orphan-pass", "z"}, kRows[1], kRows[2], kRows[3]};
  const TableRows withBlank{kRows[0], {"", "", "", ""}, kRows[1], kRows[2], kRows[3]};
  const TableRows named{kRows[0], {"Orphan", "orphan", "orphan-pass", "z"}, kRows[1], kRows[2], kRows[3]};
  QTest::newRow("unnamed record with values: Save asks for a name")
      << withOrphan << QStringList{} << "Row 2 has no item name.\r\nName it or remove it first." << withOrphan;
  QTest::newRow("named, then saved") << withOrphan << QStringList{"pick 1,2", "name Orphan"} << "" << named;
  QTest::newRow("deleted, then saved") << withOrphan << QStringList{"pick 0,2", "delete"} << "" << kRows;
  QTest::newRow("wholly empty record: left out, the rows after it kept")
      << withBlank << QStringList{} << "" << kRows;
}

// Every record of the archive is in the grid, an unnamed one as a row
// without a name; no Save writes fewer named rows than the archive held.
void CommandsTest::unnamedRecordsStayInTheGrid() {
  QFETCH(TableRows, archive);
  QFETCH(QStringList, steps);
  QFETCH(QString, refusal);
  QFETCH(TableRows, saved);
  OPEN_SESSION(session, archive);
  const auto files = session.folder.Snapshot();
  Unlock(form);
  ToLevel(form, 2);
  QCOMPARE(Names(form), Names(archive));
  QCOMPARE(Cell(form, 2, 5), QStringLiteral("m41l"));
  Click(form.SSCommand3);
  TypeIntoCell(form, 1, 5, QStringLiteral("carol"));
  Run(form, steps);
  Click(form.SSCommand4);
  TableRows expected = saved;
  expected.back()[1] = "carol";
  if (!refusal.isEmpty()) {
    QCOMPARE(session.box.Shown().size(), size_t(1));
    QCOMPARE(QString::fromStdString(session.box.Shown()[0].text), refusal);
    QVERIFY(session.folder.Snapshot() == files);
    QCOMPARE(ReadBack(), archive);
    return;
  }
  QVERIFY(session.box.Shown().empty());
  QCOMPARE(ReadBack(), expected);
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
                                   << QStringList{"Item4", "New5", "Item5", "Item6"} << 7 << 6;
  QTest::newRow("insert at row 97") << 97 << QStringList{"pick 0,97", "insert"} << 96
                                    << QStringList{"Item96", "New97", "Item97"} << 98 << 97;
  QTest::newRow("insert at row 98 does nothing")
      << 98 << QStringList{"pick 0,98", "insert"} << 97 << QStringList{"Item97", "Item98"} << 98 << 98;
  QTest::newRow("insert into a full grid does nothing")
      << 99 << QStringList{"pick 0,50", "insert"} << 49 << QStringList{"Item49", "Item50", "Item51"} << 99 << 99;
  QTest::newRow("insert after a corner pick does nothing") << 6 << QStringList{"pick 0,0", "insert"} << 1 << all
                                                           << 6 << 6;
  QTest::newRow("insert after a column header pick does nothing")
      << 6 << QStringList{"pick 2,0", "insert"} << 1 << all << 6 << 6;
  QTest::newRow("delete down to two rows") << 4 << QStringList{"pick 0,1", "delete", "delete", "delete"} << 1
                                           << QStringList{"Item3", "Item4"} << 2 << 4;
  QTest::newRow("delete the last row twice") << 4 << QStringList{"pick 0,4", "delete", "delete"} << 1
                                             << QStringList{"Item1", lp, "Item3"} << 3 << 4;
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
      << QStringList{"Item1", "", lp, "Item3", "Item4", "Item5", "New7", "Item6"} << 8 << 6;
  QTest::newRow("opened row, then delete") << 6 << QStringList{"edit", "activate 0,2", "pick 0,1", "delete"} << 1
                                           << QStringList{"", lp, "Item3", "Item4", "Item5", "Item6"} << 6 << 6;
  // Save leaves the blank row out of the archive and the grid.
  QTest::newRow("save past a blank row, then delete")
      << 6 << QStringList{"edit", "activate 0,3", "save", "pick 0,1", "delete"} << 1
      << QStringList{lp, "Item3", "Item4", "Item5", "Item6"} << 5 << 6;
  QTest::newRow("save past a blank row, then insert")
      << 6 << QStringList{"edit", "activate 0,3", "save", "pick 0,1", "insert"} << 1
      << QStringList{"New1", "Item1", lp, "Item3", "Item4", "Item5", "Item6"} << 7 << 6;
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

// Another version put in the archive's place while the window was open:
// Save asks first. Cancel, on closing too, keeps the window, the grid and
// the file; OK keeps the other version as the first backup.
void CommandsTest::savingOverAnArchiveChangedOnDisk() {
  OPEN_SESSION(session);
  Unlock(form);
  ToLevel(form, 2);
  Click(form.SSCommand3);
  TypeIntoCell(form, 2, 1, QStringLiteral("changed"));
  const std::string theirs = session.folder.Read("Vantry.csv") + "\r\n";
  session.folder.Write("Vantry.csv", theirs);
  const auto files = session.folder.Snapshot();
  const QStringList texts = Texts(form);

  session.box.Answer(runtime::kAnswerSave);
  session.box.Answer(runtime::kAnswerCancel);
  QVERIFY(!form.close());
  QCOMPARE(session.box.Shown().size(), size_t(2));
  QVERIFY(session.box.Shown()[1].text.find("becomes the backup Vantry1.csv") != std::string::npos);
  QCOMPARE(session.box.Shown()[1].style, runtime::kStyleQuestionOkCancel);
  QVERIFY(form.isVisible());
  QVERIFY(session.folder.Snapshot() == files);
  QCOMPARE(Texts(form), texts);
  QVERIFY(form.HasUnsavedChanges());

  session.box.Clear();
  session.box.Answer(runtime::kAnswerOk);
  Click(form.SSCommand4);
  QCOMPARE(session.box.Shown().size(), size_t(1));
  QCOMPARE(session.folder.Read("Vantry1.csv"), theirs);
  QVERIFY(!form.HasUnsavedChanges());
  QCOMPARE(ReadBack()[0][2], std::string("changed"));
}

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
