// The open vault locking itself: at every stage the window can be in, with
// every box of ours open, and what comes back after the two passwords.
#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "controls/ThreeD.h"
#include "mainwindow/AutoLock.h"
#include "mainwindow/GridProcedures.h"
#include "mainwindow/GridRules.h"
#include "mainwindow/PasswordEntry.h"
#include "runtime/Clipboard.h"
#include "runtime/MessageBox.h"
#include "tests/mainwindow/Session.h"
#include "tests/support/ClipboardProbe.h"

using namespace std::chrono_literals;

namespace {

void Click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

// A pick on a cell, a row header (col 0) or the corner, as the mouse makes it.
void Pick(Form1 &form, int col, int row) {
  controls::VaSpread *grid = form.vaSpread1;
  if (col == 0) {
    QHeaderView *h = grid->verticalHeader();
    Click(h->viewport());  // focus first, as a real press gives it
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(4, h->sectionViewportPosition(row - 1) + h->sectionSize(row - 1) / 2));
    return;
  }
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(row - 1, col - 1)).center());
}

// The owner's steps: "login", "editpw", "display", "edit", "pick C,R",
// "cell C,R TEXT" (typed, Enter), "open C,R TEXT" (typed, editor left open),
// "name TEXT" (Text1 and Enter), "pending TEXT" (Text1 without Enter),
// "insert", "delete", "relock" (the label's double-click from the keyboard).
void Run(Form1 &form, const QStringList &steps) {
  for (const QString &step : steps) {
    const QString word = step.section(QLatin1Char(' '), 0, 0);
    const QString where = step.section(QLatin1Char(' '), 1, 1);
    const QString rest = step.section(QLatin1Char(' '), word == QLatin1String("cell") || word == QLatin1String("open") ? 2 : 1);
    const int col = where.section(QLatin1Char(','), 0, 0).toInt();
    const int row = where.section(QLatin1Char(','), 1, 1).toInt();
    if (word == QLatin1String("login")) {
      Type(form, kLogin);
    } else if (word == QLatin1String("editpw")) {
      Type(form, kEdit);
    } else if (word == QLatin1String("display")) {
      Click(form.SSCommand1);
    } else if (word == QLatin1String("edit")) {
      Click(form.SSCommand3);
    } else if (word == QLatin1String("pick")) {
      Pick(form, col, row);
    } else if (word == QLatin1String("cell") || word == QLatin1String("open")) {
      TypeIntoCell(form, col, row, rest, word == QLatin1String("cell"));
    } else if (word == QLatin1String("name")) {
      Type(form, rest);
    } else if (word == QLatin1String("pending")) {
      form.Text1->setFocus();
      QTest::keyClicks(form.Text1, rest);
    } else if (word == QLatin1String("insert")) {
      Click(form.SSCommand5);
    } else if (word == QLatin1String("delete")) {
      Click(form.SSCommand6);
    } else if (word == QLatin1String("relock")) {
      QTest::keySequence(&form, QKeySequence(kRelockKey));
    } else {
      QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
  }
}

// Everything the window shows and holds, one line each.
QStringList State(const Form1 &form) {
  using namespace Module1;
  QStringList s;
  s << QStringLiteral("level %1 edit %2 toggle %3 tries %4").arg(DisplayLevel).arg(EditMode).arg(SizeToggle).arg(FailedTries);
  s << QStringLiteral("active row %1 column %2").arg(ActiveRow).arg(ActiveColumn);
  const controls::VaSpread *grid = form.vaSpread1;
  s << QStringLiteral("cursor %1,%2 current %3").arg(grid->activeCol()).arg(grid->activeRow()).arg(grid->currentIndex().isValid());
  s << QStringLiteral("label %1 | text %2 | char %3").arg(form.Label1->text(), form.Text1->text(), form.passwordChar());
  s << QStringLiteral("size %1x%2 grid %3 bar %4")
           .arg(form.outerSizeTwips().width())
           .arg(form.outerSizeTwips().height())
           .arg(form.SSPanel1->isVisible())
           .arg(form.SSPanel2->isVisible());
  for (const controls::SSCommand *b :
       {form.SSCommand1, form.SSCommand2, form.SSCommand3, form.SSCommand4, form.SSCommand5, form.SSCommand6})
    s << QStringLiteral("%1 %2 %3").arg(b->text()).arg(b->isEnabled()).arg(b->backColor().name());
  s << QStringLiteral("sheet %1x%2 lock %3").arg(grid->maxCols()).arg(grid->maxRows()).arg(grid->lock());
  for (int r = 0; r <= grid->maxRows(); ++r) {
    QStringList row;
    for (int c = 0; c <= grid->maxCols(); ++c) {
      QString t;
      grid->GetText(c, r, t);
      row << t;
    }
    s << row.join(QLatin1Char('|'));
  }
  int col = 0, row = 0;
  QString typed;
  if (grid->OpenEditor(col, row, typed)) s << QStringLiteral("editor %1,%2 %3").arg(col).arg(row).arg(typed);
  return s;
}

// Every text the accessibility tree offers, the window's included.
void AccessibleTexts(QAccessibleInterface *node, QStringList &out, int depth = 0) {
  if (node == nullptr || depth > 20) return;
  for (QAccessible::Text t : {QAccessible::Name, QAccessible::Value, QAccessible::Description})
    if (!node->text(t).isEmpty()) out << node->text(t);
  for (int i = 0; i < node->childCount(); ++i) AccessibleTexts(node->child(i), out, depth + 1);
}

// Nothing of the vault, nor what was typed, on screen or to a screen reader.
void ShowsNothingOfTheVault(Form1 &form, const QStringList &typed) {
  QVERIFY(form.locked());
  QVERIFY(!form.SSPanel1->isVisible());
  QVERIFY(!form.SSPanel2->isVisible());
  QCOMPARE(form.outerSizeTwips(), QSize(8670, 2565));
  QCOMPARE(form.Label1->text(), QStringLiteral("Password"));
  QCOMPARE(form.Text1->text(), QString());
  QCOMPARE(form.passwordChar(), QStringLiteral("*"));
  QCOMPARE(form.vaSpread1->maxRows(), 0);
  QCOMPARE(form.vaSpread1->maxCols(), 0);
  QString corner;
  QVERIFY(!form.vaSpread1->GetText(0, 0, corner));
  QStringList secrets = typed;
  for (const auto &row : kRows)
    for (const std::string &v : row) secrets << QString::fromStdString(v);
  for (const std::string &t : kTitles) secrets << QString::fromStdString(t);
  secrets << QStringLiteral("Item") << QStringLiteral("********");
  secrets.removeAll(QString());
  QStringList shown;
  AccessibleTexts(QAccessible::queryAccessibleInterface(&form), shown);
  for (const QString &text : shown)
    for (const QString &secret : secrets)
      QVERIFY2(secret.size() < 4 ? text != secret : !text.contains(secret),
               qPrintable(QStringLiteral("shown: ") + text));
}

// Answers our real message boxes as they come: "save" presses Save, "lock"
// locks the vault while the box is open, "signal" asks for a lock, then
// presses OK. The captions seen, in order.
class BoxWatch : public QObject {
 public:
  BoxWatch(Form1 &form, QStringList steps) : form_(form), steps_(std::move(steps)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
    timer_.start(5);
  }
  QStringList seen;

 private:
  void Look() {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (box == nullptr || box == last_ || !box->isVisible() || steps_.isEmpty()) return;
    last_ = box;
    seen << box->windowTitle();
    const QString step = steps_.takeFirst();
    if (step == QLatin1String("save")) {
      box->button(QMessageBox::Save)->click();
    } else if (step == QLatin1String("signal")) {  // while locked: the box stays for the owner
      form_.autoLock()->Request();
      QCoreApplication::processEvents();
      if (box->isVisible()) seen << QStringLiteral("still open");
      box->button(QMessageBox::Ok)->click();
    } else {
      form_.autoLock()->Request();
    }
  }
  Form1 &form_;
  QStringList steps_;
  QPointer<QMessageBox> last_;
  QTimer timer_;
};

const QStringList kLevel2{"login", "editpw", "display", "display"};

}  // namespace

class LockTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseBuiltCipher(); }
  void cleanup() { auto_lock::SetIdleLockDelayForTest(0ms); }

  void idleRuleOnTimePoints();
  void lockRequestsWhileArmedOnly();
  void locksAndGivesEverythingBack_data();
  void locksAndGivesEverythingBack();
  void severalSignalsLockOnce();
  void idleLocksOnlyWithTheGridInView();
  void lockClearsOurClipboardCopy();
  void wrongEntriesWhileLockedCountFromZero();
  void aSignalWhileLockedLeavesTheHintOpen();
  void openBoxesCloseAsCancel_data();
  void openBoxesCloseAsCancel();
  void closingALockedWindowAsks_data();
  void closingALockedWindowAsks();
};

void LockTest::idleRuleOnTimePoints() {
  using auto_lock::IdleClock;
  const IdleClock::Clock::time_point t0{};
  IdleClock clock;
  clock.Start(t0);
  QVERIFY(!clock.Due(t0 + 4min, auto_lock::kIdleLockDelay));
  QVERIFY(clock.Due(t0 + 5min, auto_lock::kIdleLockDelay));
  clock.Input(t0 + 4min);  // input puts the lock off by the whole delay
  QVERIFY(!clock.Due(t0 + 8min, auto_lock::kIdleLockDelay));
  QCOMPARE(clock.Left(t0 + 8min, auto_lock::kIdleLockDelay), std::chrono::milliseconds(1min));
  QVERIFY(clock.Due(t0 + 9min, auto_lock::kIdleLockDelay));
  QCOMPARE(clock.Left(t0 + 10min, auto_lock::kIdleLockDelay), 0ms);
}

// Without the window: requests lock only while armed, and each arming once.
void LockTest::lockRequestsWhileArmedOnly() {
  auto_lock::AutoLock lock;
  QSignalSpy locks(&lock, &auto_lock::AutoLock::lockNow);
  lock.Request();
  QCOMPARE(locks.count(), 0);  // the grid not in view
  lock.Arm();
  for (int i = 0; i < 3; ++i) lock.Request();
  QCOMPARE(locks.count(), 1);
  QVERIFY(!lock.armed());
  lock.Arm();
  lock.Disarm();
  lock.Request();
  QCOMPARE(locks.count(), 1);
  lock.Arm();
  lock.Request();
  QCOMPARE(locks.count(), 2);
}

void LockTest::locksAndGivesEverythingBack_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QStringList>("typed");  // texts the lock must take off the screen
  QTest::newRow("the masked grid") << QStringList{"login"} << QStringList{};
  QTest::newRow("level 0") << QStringList{"login", "editpw", "pick 2,3"} << QStringList{};
  QTest::newRow("level 1") << QStringList{"login", "editpw", "display", "pick 1,4", "pending half typed"}
                           << QStringList{"half typed"};
  QTest::newRow("level 2") << kLevel2 + QStringList{"pick 3,2"} << QStringList{};
  QTest::newRow("edit mode, a typed value, an open cell editor")
      << kLevel2 + QStringList{"edit", "cell 1,1 changed-user", "open 2,3 not-yet-entered"}
      << QStringList{"changed-user", "not-yet-entered"};
  QTest::newRow("edit mode, an item name being typed")
      << kLevel2 + QStringList{"edit", "pick 1,4", "pending Renam"} << QStringList{"Renam"};
  QTest::newRow("a renamed item") << kLevel2 + QStringList{"pick 2,3", "name Wallet"} << QStringList{"Wallet"};
  QTest::newRow("an inserted row") << kLevel2 + QStringList{"pick 0,3", "insert"} << QStringList{"New3"};
  QTest::newRow("a deleted row") << kLevel2 + QStringList{"pick 0,3", "delete", "pick 0,2"} << QStringList{};
  QTest::newRow("relocked by the label") << QStringList{"login", "editpw", "display", "relock"} << QStringList{};
}

// Locked: nothing shown; the login password: the grid as a start shows it,
// with the pending item names; the edit password: everything as it was.
void LockTest::locksAndGivesEverythingBack() {
  QFETCH(QStringList, steps);
  QFETCH(QStringList, typed);
  OPEN_SESSION(session);
  Run(form, steps);
  const QStringList before = State(form);
  const int rows = form.vaSpread1->maxRows(), cols = form.vaSpread1->maxCols();
  std::vector<QStringList> cells(rows + 1);
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c <= cols; ++c) cells[r] << Cell(form, c, r);

  form.autoLock()->Request();
  ShowsNothingOfTheVault(form, typed);
  QVERIFY(session.box.Shown().empty());
  QVERIFY(!form.autoLock()->armed());

  Type(form, kLogin);
  QVERIFY(form.SSPanel1->isVisible());
  QCOMPARE(form.outerSizeTwips(), QSize(8670, 2565));
  QCOMPARE(form.vaSpread1->maxRows(), rows);
  QCOMPARE(form.vaSpread1->maxCols(), cols);
  for (int c = 0; c <= cols; ++c) QCOMPARE(Cell(form, c, 0), cells[0][c]);  // the titles
  for (int r = 1; r <= rows; ++r) {
    QCOMPARE(Cell(form, 0, r), cells[r][0]);  // item names as they stand
    const bool empty = cells[r].join(QString()).isEmpty();
    for (int c = 1; c <= cols; ++c) QCOMPARE(Cell(form, c, r), empty ? QString() : QStringLiteral("********"));
  }
  QVERIFY(form.vaSpread1->lock());
  QVERIFY(form.autoLock()->armed());

  Type(form, kEdit);
  QVERIFY(!form.locked());
  QCOMPARE(State(form), before);
  QVERIFY(session.box.Shown().empty());
}

// Three signals for one screen lock, then one while the masked grid is
// shown again: the state kept at the first is the one that comes back.
void LockTest::severalSignalsLockOnce() {
  OPEN_SESSION(session);
  Run(form, kLevel2 + QStringList{"edit", "open 1,1 typed-once"});
  const QStringList before = State(form);
  for (int i = 0; i < 3; ++i) form.autoLock()->Request();
  ShowsNothingOfTheVault(form, {"typed-once"});
  Type(form, kLogin);
  form.autoLock()->Request();  // locked again before the edit password
  ShowsNothingOfTheVault(form, {"typed-once"});
  QVERIFY(!form.SSPanel1->isVisible());
  Type(form, kLogin);
  Type(form, kEdit);
  QCOMPARE(State(form), before);
}

void LockTest::idleLocksOnlyWithTheGridInView() {
  auto_lock::SetIdleLockDelayForTest(200ms);
  OPEN_SESSION(session);
  QVERIFY(!form.autoLock()->armed());  // before the login password nothing runs
  Run(form, kLevel2);
  const QStringList before = State(form);
  QVERIFY(form.autoLock()->armed());
  QTRY_VERIFY_WITH_TIMEOUT(form.locked(), 20000);
  ShowsNothingOfTheVault(form, {});
  QVERIFY(!form.autoLock()->armed());  // locked, so idle again does nothing
  Type(form, kLogin);
  Type(form, kEdit);
  QCOMPARE(State(form), before);
}

void LockTest::lockClearsOurClipboardCopy() {
  OPEN_SESSION(session);
  Run(form, {"login", "editpw", "pick 2,1"});
  QCOMPARE(Board()->text(), QStringLiteral("b4nk-pass"));
  form.autoLock()->Request();
  QVERIFY(Board()->text().isEmpty());
  QVERIFY(!runtime::ClipboardHoldsOurs());
}

// Answered as at a start, counted from zero whatever came before the lock;
// the count before it comes back with the rest.
void LockTest::wrongEntriesWhileLockedCountFromZero() {
  OPEN_SESSION(session);
  Enter(form, kWrong);
  Enter(form, kWrong);
  Run(form, kLevel2);
  const QStringList before = State(form);
  form.autoLock()->Request();
  for (int n = 1; n <= 10; ++n) {
    session.box.Clear();
    Enter(form, kWrong);
    const auto shown = session.box.Shown();
    if (n == 3) {
      QCOMPARE(shown.size(), size_t(1));
      QCOMPARE(shown[0].text, password_entry::HintMessage("blue whale"));
      QCOMPARE(shown[0].style, runtime::kStyleQuestion);
    } else if (n >= 7 && n <= 9) {
      QCOMPARE(shown.size(), size_t(1));
      QCOMPARE(shown[0].text, password_entry::ReturnMessage());
      QCOMPARE(shown[0].style, runtime::kStyleCritical);
    } else {
      QVERIFY2(shown.empty(), qPrintable(QString::number(n)));
    }
    QCOMPARE(form.isEnabled(), n < 10);  // the lock-out step from the tenth
    QCOMPARE(Module1::FailedTries, int16_t(n));
  }
  // The lock-out step leaves the window disabled, as at a start; the kept
  // state is still whole behind it.
  form.setEnabled(true);
  Enter(form, kLogin);
  Enter(form, kEdit);
  QCOMPARE(State(form), before);
  QCOMPARE(Module1::FailedTries, int16_t(2));
}

// The hint answers a wrong entry at the locked window: a screen lock then
// has nothing to lock and leaves it to the owner.
void LockTest::aSignalWhileLockedLeavesTheHintOpen() {
  OPEN_SESSION(session);
  Run(form, kLevel2);
  form.autoLock()->Request();
  runtime::SetMessageBoxHandler({});
  Enter(form, kWrong);
  Enter(form, kWrong);
  BoxWatch watch(form, {"signal"});
  Enter(form, kWrong);
  QCOMPARE(watch.seen, (QStringList{"Password Entry", "still open"}));
  QVERIFY(form.locked());
  Type(form, kLogin);
  Type(form, kEdit);
  QVERIFY(!form.locked());
  QCOMPARE(Module1::DisplayLevel, int16_t(2));
}

void LockTest::openBoxesCloseAsCancel_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<QString>("action");
  QTest::addColumn<QStringList>("answers");  // to each box as it comes
  QTest::addColumn<QStringList>("captions");
  const QStringList changed = kLevel2 + QStringList{"edit", "cell 1,1 changed-user"};
  QTest::newRow("the close question") << changed << "close" << QStringList{"lock"} << QStringList{"Save / Vantry"};
  QTest::newRow("Save's question, no credentials row")
      << kLevel2 + QStringList{"pick 0,2", "delete"} << "save" << QStringList{"lock"} << QStringList{"Save / Vantry"};
  QTest::newRow("Save's refusal, an unnamed row")
      << kLevel2 + QStringList{"pick 1,1", "name "} << "save" << QStringList{"lock"} << QStringList{"Save / Vantry"};
  QTest::newRow("Save from the close question, then its question")
      << kLevel2 + QStringList{"pick 0,2", "delete"} << "close" << QStringList{"save", "lock"}
      << QStringList{"Save / Vantry", "Save / Vantry"};
  QTest::newRow("the size error") << kLevel2 << "size" << QStringList{"lock"} << QStringList{"FormSize/Vantry"};
}

// The real boxes: the one open when the lock comes is closed as by Cancel
// (or its only button), its caller unwinds, nothing is written, the window
// does not close, and the edit password brings back the state before it.
void LockTest::openBoxesCloseAsCancel() {
  QFETCH(QStringList, steps);
  QFETCH(QString, action);
  QFETCH(QStringList, answers);
  QFETCH(QStringList, captions);
  OPEN_SESSION(session);
  Run(form, steps);
  runtime::SetMessageBoxHandler({});  // the real box from here on
  const QStringList before = State(form);
  const auto files = session.folder.Snapshot();
  BoxWatch watch(form, answers);
  if (action == QLatin1String("close"))
    QVERIFY(!form.close());
  else if (action == QLatin1String("save"))
    form.SSCommand4_Click();
  else
    form.FormSize(QStringLiteral("x"));
  QCOMPARE(watch.seen, captions);
  QTRY_VERIFY(form.locked());
  QVERIFY(!runtime::MessageBoxOpen());
  QCOMPARE(QApplication::activeModalWidget(), nullptr);
  QVERIFY(form.isVisible());
  QVERIFY(session.folder.Snapshot() == files);
  ShowsNothingOfTheVault(form, {"changed-user"});
  Type(form, kLogin);
  Type(form, kEdit);
  QCOMPARE(State(form), before);
}

void LockTest::closingALockedWindowAsks_data() {
  QTest::addColumn<QStringList>("steps");
  QTest::addColumn<int>("answer");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<bool>("closes");
  QTest::addColumn<QString>("stored");  // table row 0, field 1 afterwards
  const QStringList typed = kLevel2 + QStringList{"edit", "cell 1,1 changed-user"};
  const QStringList open = kLevel2 + QStringList{"edit", "open 1,1 still-open"};
  QTest::newRow("nothing changed") << kLevel2 << runtime::kAnswerCancel << false << true << "alice";
  QTest::newRow("Cancel") << typed << runtime::kAnswerCancel << true << false << "alice";
  QTest::newRow("Discard") << typed << runtime::kAnswerDiscard << true << true << "alice";
  QTest::newRow("Save") << typed << runtime::kAnswerSave << true << true << "changed-user";
  QTest::newRow("Save, with the cell editor open") << open << runtime::kAnswerSave << true << true << "still-open";
}

// The question as on an open window; Save writes what the lock kept.
void LockTest::closingALockedWindowAsks() {
  QFETCH(QStringList, steps);
  QFETCH(int, answer);
  QFETCH(bool, asked);
  QFETCH(bool, closes);
  QFETCH(QString, stored);
  OPEN_SESSION(session);
  Run(form, steps);
  form.autoLock()->Request();
  const std::string archive = session.folder.Read("Vantry.csv");
  session.box.Answer(answer);
  QCOMPARE(form.close(), closes);
  QCOMPARE(session.box.Shown().size(), size_t(asked ? 1 : 0));
  if (asked) QCOMPARE(session.box.Shown()[0].text, grid_rules::kUnsavedQuestion);
  QCOMPARE(QString::fromStdString(Module1::VaultTable[0][1]), stored);
  QCOMPARE(session.folder.Read("Vantry.csv") != archive, answer == runtime::kAnswerSave && asked);
  if (!closes) ShowsNothingOfTheVault(form, {"changed-user"});
}

QTEST_MAIN(LockTest)
#include "LockTest.moc"
