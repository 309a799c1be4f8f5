// The main window worked from the keyboard: the grid's cursor after header
// picks, focus changes and arrow keys, and what Copy, Insert and Delete then
// act on; Enter on the command buttons; the relock key.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "controls/ThreeD.h"
#include "store/Module1.h"
#include "tests/mainwindow/Session.h"

using controls::VaSpread;

namespace {

// Item1, LoginPassword, Item3, ... ItemN.
TableRows Rows(int n) {
  TableRows rows;
  for (int i = 1; i <= n; ++i) {
    const std::string k = std::to_string(i);
    rows.push_back({"Item" + k, "user" + k, "pass" + k, "x" + k});
  }
  rows[1] = kRows[1];
  return rows;
}

void Click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

// A mouse pick of a cell or a row header (col 0).
void Pick(Form1 &form, int col, int row) {
  VaSpread *grid = form.vaSpread1;
  grid->scrollTo(grid->model()->index(row - 1, std::max(col, 1) - 1));
  if (col == 0) {
    QHeaderView *h = grid->verticalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(4, h->sectionViewportPosition(row - 1) + h->sectionSize(row - 1) / 2));
  } else {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row - 1, col - 1)).center());
  }
}

// Another window takes the focus and goes, as a message box does.
bool AwayAndBack(Form1 &form) {
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  if (!QTest::qWaitForWindowActive(&other)) return false;
  other.close();
  QApplication::setActiveWindow(&form);
  return QTest::qWaitForWindowActive(&form);
}

Qt::Key KeyNamed(const QString &name) {
  if (name == QLatin1String("Down")) return Qt::Key_Down;
  if (name == QLatin1String("Up")) return Qt::Key_Up;
  if (name == QLatin1String("Left")) return Qt::Key_Left;
  if (name == QLatin1String("Right")) return Qt::Key_Right;
  if (name == QLatin1String("Space")) return Qt::Key_Space;
  if (name == QLatin1String("Enter")) return Qt::Key_Return;
  return Qt::Key_unknown;
}

// Steps: "pick C,R" (mouse), "key NAME" (to the focused control), "away"
// (another window and back), "copy", "insert", "delete" (button clicks).
void Run(Form1 &form, const QStringList &steps) {
  for (const QString &step : steps) {
    const QString word = step.section(QLatin1Char(' '), 0, 0);
    const QString rest = step.section(QLatin1Char(' '), 1);
    if (word == QLatin1String("pick")) {
      Pick(form, rest.section(QLatin1Char(','), 0, 0).toInt(), rest.section(QLatin1Char(','), 1, 1).toInt());
    } else if (word == QLatin1String("key")) {
      QVERIFY(KeyNamed(rest) != Qt::Key_unknown);
      QTest::keyClick(QApplication::focusWidget(), KeyNamed(rest));
    } else if (word == QLatin1String("away")) {
      QVERIFY(AwayAndBack(form));
    } else if (word == QLatin1String("copy")) {
      Click(form.SSCommand2);
    } else if (word == QLatin1String("insert")) {
      Click(form.SSCommand5);
    } else if (word == QLatin1String("delete")) {
      Click(form.SSCommand6);
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

void Unlock(Form1 &form, int level) {
  Type(form, kLogin);
  Type(form, kEdit);
  for (int i = 0; i < level; ++i) Click(form.SSCommand1);
}

const QString kBefore = QStringLiteral("held before");

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseBuiltCipher(); }
  void init() { QGuiApplication::clipboard()->setText(kBefore); }

  void rowCommandsFollowTheCursor_data();
  void rowCommandsFollowTheCursor();
  void enterPressesTheFocusedButton();
  void relockKeyRunsTheLabelDoubleClick();
};

void KeyboardTest::rowCommandsFollowTheCursor_data() {
  QTest::addColumn<int>("level");
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QStringList>("names");      // grid rows after the steps
  QTest::addColumn<bool>("rowCommands");       // Insert and Delete enabled after the steps
  QTest::addColumn<QString>("clipboard");
  const QString lp = QStringLiteral("LoginPassword");
  const QStringList all{"Item1", lp, "Item3", "Item4", "Item5", "Item6"};
  QTest::newRow("row header 4, Down, Delete: row 5 goes")
      << 2 << QStringList{"pick 0,4", "key Down", "delete"} << QStringList{"Item1", lp, "Item3", "Item4", "Item6"}
      << true << kBefore;
  QTest::newRow("row header 3, another window, Delete: row 3 goes")
      << 2 << QStringList{"pick 0,3", "away", "delete"} << QStringList{"Item1", lp, "Item4", "Item5", "Item6"}
      << true << kBefore;
  QTest::newRow("row header 4, another window, Copy: its item name")
      << 2 << QStringList{"pick 0,4", "away", "copy"} << all << true << QStringLiteral("Item4");
  QTest::newRow("row header 4, Up, Insert: a new row 3")
      << 2 << QStringList{"pick 0,4", "key Up", "insert"}
      << QStringList{"Item1", lp, "New3", "Item3", "Item4", "Item5", "Item6"} << true << kBefore;
  QTest::newRow("Left from column 1 picks the row header, Delete")
      << 2 << QStringList{"pick 1,3", "key Left", "delete"} << QStringList{"Item1", lp, "Item4", "Item5", "Item6"}
      << true << kBefore;
  QTest::newRow("Right from a row header: the commands go off")
      << 2 << QStringList{"pick 0,3", "key Right"} << all << false << kBefore;
  QTest::newRow("and Left brings them back") << 2 << QStringList{"pick 0,3", "key Right", "key Left"} << all << true
                                             << kBefore;
  // Walking copies nothing: every masked value passed would end up in the
  // clipboard's history. A click, Space or Enter on the cell copies it.
  QTest::newRow("masked: Down from a cell copies nothing more")
      << 0 << QStringList{"pick 2,3", "key Down"} << all << false << QStringLiteral("pass3");
  QTest::newRow("masked: across the credentials row copies nothing")
      << 0 << QStringList{"pick 0,1", "key Down", "key Right", "key Right", "key Right"} << all << false << kBefore;
  QTest::newRow("masked: Space on the cell walked to copies it")
      << 0 << QStringList{"pick 0,1", "key Down", "key Right", "key Right", "key Space"} << all << false
      << QStringLiteral("open sesame");
  QTest::newRow("masked: Enter on the cell walked to copies it")
      << 0 << QStringList{"pick 1,1", "key Down", "key Right", "key Right", "key Enter"} << all << false
      << QStringLiteral("edit sesame");
  QTest::newRow("masked: Space on a row header copies nothing")
      << 0 << QStringList{"pick 1,4", "key Left", "key Space"} << all << false << QStringLiteral("user4");
  QTest::newRow("walked to a row header, Delete: that row goes")
      << 2 << QStringList{"pick 1,3", "key Left", "key Down", "delete"}
      << QStringList{"Item1", lp, "Item3", "Item5", "Item6"} << true << kBefore;
  QTest::newRow("Up from row 1 to the corner: nothing to insert at")
      << 2 << QStringList{"pick 0,1", "key Up"} << all << false << kBefore;
  QTest::newRow("masked: Left to a row header copies nothing more")
      << 0 << QStringList{"pick 2,3", "key Left", "key Left"} << all << false << QStringLiteral("pass3");
  QTest::newRow("masked: row header, another window, Copy")
      << 0 << QStringList{"pick 0,5", "away", "copy"} << all << false << QStringLiteral("Item5");
}

void KeyboardTest::rowCommandsFollowTheCursor() {
  QFETCH(int, level);
  QFETCH(QStringList, steps);
  QFETCH(QStringList, names);
  QFETCH(bool, rowCommands);
  QFETCH(QString, clipboard);
  OPEN_SESSION(session, Rows(6));
  Unlock(form, level);
  Run(form, steps);
  QCOMPARE(Names(form), names);
  QCOMPARE(form.SSCommand5->isEnabled(), rowCommands);
  QCOMPARE(form.SSCommand6->isEnabled(), rowCommands);
  QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
  QCOMPARE(Module1::ActiveRow, form.vaSpread1->activeRow());
  QCOMPARE(Module1::ActiveColumn, form.vaSpread1->activeCol());
}

void KeyboardTest::enterPressesTheFocusedButton() {
  OPEN_SESSION(session);
  Unlock(form, 0);
  form.SSCommand1->setFocus();
  QTest::keyClick(form.SSCommand1, Qt::Key_Return);
  QCOMPARE(Module1::DisplayLevel, int16_t(1));
  QTest::keyClick(form.SSCommand1, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(Module1::DisplayLevel, int16_t(2));
  // Space as before; a held Enter presses once.
  QTest::keyClick(form.SSCommand1, Qt::Key_Space);
  QCOMPARE(Module1::DisplayLevel, int16_t(0));
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(form.SSCommand1, &repeat);
  QCOMPARE(Module1::DisplayLevel, int16_t(0));
  // Copy, a button enabled from the start.
  Pick(form, 1, 1);
  QGuiApplication::clipboard()->setText(kBefore);
  form.SSCommand2->setFocus();
  QTest::keyClick(form.SSCommand2, Qt::Key_Return);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("alice"));
}

// The relock and the enlarging again, from whatever control has the focus.
void KeyboardTest::relockKeyRunsTheLabelDoubleClick() {
  OPEN_SESSION(session);
  Unlock(form, 2);
  Click(form.SSCommand3);  // edit mode
  QCOMPARE(form.Label1->text(), QStringLiteral("Item Name"));
  Pick(form, 2, 3);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(Module1::SizeToggle, int16_t(1));
  QCOMPARE(Module1::DisplayLevel, int16_t(0));
  QCOMPARE(Module1::EditMode, int16_t(0));
  QCOMPARE(form.Label1->text(), QStringLiteral("Password"));
  QVERIFY(!form.SSCommand1->isEnabled());
  QCOMPARE(form.outerSizeTwips().height(), 2565);
  QVERIFY(AllMasked(form));
  form.Text1->setFocus();
  QTest::keyClick(form.Text1, Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(Module1::SizeToggle, int16_t(0));
  QCOMPARE(form.outerSizeTwips().height(), 4320);
  QVERIFY(!form.SSCommand1->isEnabled());
  QVERIFY(form.Text1->text().isEmpty());  // the key typed nothing
}

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
