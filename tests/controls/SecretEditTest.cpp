// A guarded text box keeps its text off the mouse selection and copies it
// to the clipboard only marked as a secret.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include "controls/SecretEdit.h"
#include "runtime/Clipboard.h"
#include "tests/support/ClipboardProbe.h"

namespace {

using namespace std::chrono_literals;

// A box that counts the times its own handlers would hand a selection to
// PRIMARY: a left-button release, and a key it takes that leaves a
// selection behind.
class ProbeEdit : public QLineEdit {
 public:
  int leftReleases = 0;
  int keysLeavingSelection = 0;

 protected:
  void mouseReleaseEvent(QMouseEvent *event) override {
    if (event->button() == Qt::LeftButton) ++leftReleases;
    QLineEdit::mouseReleaseEvent(event);
  }
  void keyPressEvent(QKeyEvent *event) override {
    QLineEdit::keyPressEvent(event);
    if (event->isAccepted() && hasSelectedText()) ++keysLeavingSelection;
  }
};

}  // namespace

class SecretEditTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { held_.Set(200ms, QStringLiteral("held before"), QStringLiteral("primary before")); }
  void cleanup() { held_.Release(); }

  void mouseSelectionNeverReachesPrimary();
  void keys_data();
  void keys();
  void keyboardSelectionNeverReachesPrimary_data();
  void keyboardSelectionNeverReachesPrimary();

 private:
  HeldByAnother held_;
};

void SecretEditTest::mouseSelectionNeverReachesPrimary() {
  ProbeEdit edit;
  controls::GuardSecretEdit(&edit);
  edit.setText(QStringLiteral("b4nk-pass"));
  edit.show();
  QVERIFY(QTest::qWaitForWindowExposed(&edit));
  const QPoint inText(8, edit.height() / 2);
  QTest::mouseDClick(&edit, Qt::LeftButton, {}, inText);
  QTest::mousePress(&edit, Qt::LeftButton, {}, QPoint(2, edit.height() / 2));
  QTest::mouseMove(&edit, QPoint(edit.width() - 2, edit.height() / 2));
  QTest::mouseRelease(&edit, Qt::LeftButton, {}, QPoint(edit.width() - 2, edit.height() / 2));
  QCOMPARE(edit.leftReleases, 0);
  QVERIFY(edit.hasSelectedText());  // the owner still sees and can replace the selection
  if (HasSelection()) QCOMPARE(Board()->text(QClipboard::Selection), QStringLiteral("primary before"));
  // The middle button still pastes into the box.
  QTest::mouseClick(&edit, Qt::MiddleButton, {}, inText);
  QCOMPARE(edit.leftReleases, 0);
}

void SecretEditTest::keys_data() {
  QTest::addColumn<int>("key");  // QKeySequence::StandardKey
  QTest::addColumn<bool>("password");
  QTest::addColumn<QString>("left");       // what the box holds after the key
  QTest::addColumn<QString>("clipboard");  // empty: as before
  // The box holds "user b4nk-pass" with "b4nk" selected, the cursor after it.
  QTest::newRow("copy") << int(QKeySequence::Copy) << false << "user b4nk-pass" << "b4nk";
  QTest::newRow("cut") << int(QKeySequence::Cut) << false << "user -pass" << "b4nk";
  QTest::newRow("copy from a password box") << int(QKeySequence::Copy) << true << "user b4nk-pass" << "";
  QTest::newRow("cut from a password box") << int(QKeySequence::Cut) << true << "user -pass" << "";
  // From the cursor on, as the box itself kills (a key X desktops have; offscreen has none).
  QTest::newRow("kill to the end of the line") << int(QKeySequence::DeleteEndOfLine) << false << "user b4nk" << "";
  QTest::newRow("kill the line") << int(QKeySequence::DeleteCompleteLine) << false << "" << "";
}

void SecretEditTest::keys() {
  QFETCH(int, key);
  QFETCH(bool, password);
  QFETCH(QString, left);
  QFETCH(QString, clipboard);
  const QList<QKeySequence> bindings = QKeySequence::keyBindings(QKeySequence::StandardKey(key));
  if (bindings.isEmpty()) QSKIP("no key for this on this platform");
  QLineEdit edit;
  controls::GuardSecretEdit(&edit);
  edit.setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
  edit.setText(QStringLiteral("user b4nk-pass"));
  edit.show();
  edit.activateWindow();  // an X display without a window manager gives no focus by itself
  QVERIFY(QTest::qWaitForWindowActive(&edit));
  edit.setSelection(5, 4);
  QTest::keySequence(&edit, bindings.first());
  QCOMPARE(edit.text(), left);
  if (clipboard.isEmpty()) {
    QCOMPARE(Board()->text(), QStringLiteral("held before"));
    QVERIFY(!MarkedSecret());
  } else {
    QCOMPARE(Board()->text(), clipboard);
    QVERIFY(MarkedSecret());
    QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);  // timed like every copy
  }
}

void SecretEditTest::keyboardSelectionNeverReachesPrimary_data() {
  QTest::addColumn<QList<int>>("keys");  // QKeySequence::StandardKey, in order
  QTest::addColumn<QString>("text");      // what the box then holds
  QTest::addColumn<QString>("selected");  // "*": some selection
  // The box holds "user b4nk-pass", the cursor after "user ".
  const QString all = QStringLiteral("user b4nk-pass");
  using K = QKeySequence;
  QTest::newRow("select all") << QList<int>{K::SelectAll} << all << all;
  QTest::newRow("to the end") << QList<int>{K::SelectEndOfLine} << all << "b4nk-pass";
  QTest::newRow("to the start") << QList<int>{K::SelectStartOfLine} << all << "user ";
  QTest::newRow("next character") << QList<int>{K::SelectNextChar} << all << "b";
  QTest::newRow("previous character") << QList<int>{K::SelectPreviousChar} << all << " ";
  QTest::newRow("next word") << QList<int>{K::SelectNextWord} << all << "*";
  QTest::newRow("previous word") << QList<int>{K::SelectPreviousWord} << all << "*";
  QTest::newRow("undo brings a selection back")
      << QList<int>{K::SelectEndOfLine, K::Delete, K::Undo} << all << "*";
  QTest::newRow("redo") << QList<int>{K::SelectEndOfLine, K::Delete, K::Undo, K::Redo} << "user " << "";
  QTest::newRow("a move drops the selection")
      << QList<int>{K::SelectEndOfLine, K::MoveToStartOfLine} << all << "";
}

void SecretEditTest::keyboardSelectionNeverReachesPrimary() {
  QFETCH(QList<int>, keys);
  QFETCH(QString, text);
  QFETCH(QString, selected);
  ProbeEdit edit;
  controls::GuardSecretEdit(&edit);
  edit.setText(QStringLiteral("user b4nk-pass"));
  edit.show();
  edit.activateWindow();  // an X display without a window manager gives no focus by itself
  QVERIFY(QTest::qWaitForWindowActive(&edit));
  edit.setCursorPosition(5);
  for (int key : keys) {
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(QKeySequence::StandardKey(key));
    if (bindings.isEmpty()) QSKIP("no key for this on this platform");
    QTest::keySequence(&edit, bindings.first());
  }
  QCOMPARE(edit.text(), text);
  if (selected == QLatin1String("*"))
    QVERIFY(edit.hasSelectedText());
  else
    QCOMPARE(edit.selectedText(), selected);
  QCOMPARE(edit.keysLeavingSelection, 0);
  if (HasSelection()) QCOMPARE(Board()->text(QClipboard::Selection), QStringLiteral("primary before"));
  QCOMPARE(Board()->text(), QStringLiteral("held before"));
}

QTEST_MAIN(SecretEditTest)
#include "SecretEditTest.moc"
