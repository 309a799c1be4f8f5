// Copied secrets on the clipboard: marked, cleared after the delay or on
// demand, but only while the clipboard still holds them; and the message
// box, which shows owner text as typed and copies it the same way.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include "runtime/Clipboard.h"
#include "tests/support/ClipboardProbe.h"
#include "runtime/MessageBox.h"

namespace {

using namespace std::chrono_literals;

}  // namespace

class ClipboardTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    runtime::SetClipboardClearDelayForTest(150ms);
    Board()->setText(QStringLiteral("held before"));
  }
  void cleanup() { runtime::SetClipboardClearDelayForTest(0ms); }

  void shippedDelayIsTwentySeconds() { QCOMPARE(runtime::kClipboardClearDelay, 20000ms); }
  void copyIsMarkedThenClearedAfterTheDelay();
  void clearingOnlyWhatIsStillOurs_data();
  void clearingOnlyWhatIsStillOurs();
  void aSecondCopyIsTheOneCleared();
  void messageBoxShowsTextAsTypedAndCopiesItMarked();
};

void ClipboardTest::copyIsMarkedThenClearedAfterTheDelay() {
  runtime::SetClipboardSecret("b4nk-pass");
  QCOMPARE(Board()->text(), QStringLiteral("b4nk-pass"));
  QVERIFY(MarkedSecret());
  QVERIFY(runtime::ClipboardHoldsOurs());
  // Cleared by the timer, and the empty clipboard still says "secret".
  QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);
  QVERIFY(MarkedSecret());
  QVERIFY(!runtime::ClipboardHoldsOurs());
}

void ClipboardTest::clearingOnlyWhatIsStillOurs_data() {
  QTest::addColumn<QString>("since");  // what happened after our copy
  QTest::addColumn<bool>("byTimer");   // the delay ran out, or the window closed
  QTest::addColumn<QString>("left");
  QTest::addColumn<bool>("marked");
  for (bool byTimer : {true, false}) {
    const char *how = byTimer ? "after the delay" : "on closing";
    QTest::addRow("nothing, %s", how) << "" << byTimer << "" << true;
    QTest::addRow("copied elsewhere, %s", how) << "other" << byTimer << "other" << false;
    QTest::addRow("emptied elsewhere, %s", how) << "clear" << byTimer << "" << false;
  }
}

void ClipboardTest::clearingOnlyWhatIsStillOurs() {
  QFETCH(QString, since);
  QFETCH(bool, byTimer);
  QFETCH(QString, left);
  QFETCH(bool, marked);
  runtime::SetClipboardSecret("b4nk-pass");
  if (since == QLatin1String("other")) Board()->setText(QStringLiteral("other"));
  if (since == QLatin1String("clear")) Board()->clear();
  QCOMPARE(runtime::ClipboardHoldsOurs(), since.isEmpty());
  if (byTimer)
    QTest::qWait(600);  // well past the delay
  else
    runtime::ClearClipboardIfOurs();
  QCOMPARE(Board()->text(), left);
  QCOMPARE(MarkedSecret(), marked);
  // Whatever stands there now is left alone from here on.
  runtime::ClearClipboardIfOurs();
  QCOMPARE(Board()->text(), left);
}

void ClipboardTest::aSecondCopyIsTheOneCleared() {
  runtime::SetClipboardSecret("first");
  runtime::SetClipboardSecret("second");
  QCOMPARE(Board()->text(), QStringLiteral("second"));
  QVERIFY(runtime::ClipboardHoldsOurs());
  QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);
}

void ClipboardTest::messageBoxShowsTextAsTypedAndCopiesItMarked() {
  const QString hint = QStringLiteral("<h2><u>Big</u></h2> & <b>bold</b>");
  QString shown;
  Qt::TextFormat format = Qt::AutoText;
  Qt::TextInteractionFlags interaction = Qt::TextSelectableByMouse;
  QTimer::singleShot(0, this, [&] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (label != nullptr) {
      shown = label->text();
      format = label->textFormat();
      interaction = label->textInteractionFlags();
    }
    QApplication::setActiveWindow(box);
    if (QTest::qWaitForWindowActive(box)) QTest::keySequence(box, QKeySequence::Copy);
    box->accept();
  });
  runtime::MsgBox(("Pssword Hint: \r\n" + hint).toStdString(), runtime::kStyleQuestion, "Password Entry");
  QCOMPARE(shown, QStringLiteral("Pssword Hint: \n") + hint);
  QCOMPARE(format, Qt::PlainText);
  QCOMPARE(interaction, Qt::TextInteractionFlags(Qt::NoTextInteraction));
  QCOMPARE(Board()->text(), QStringLiteral("Pssword Hint: \n") + hint);
  QVERIFY(MarkedSecret());
  QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);
}

QTEST_MAIN(ClipboardTest)
#include "ClipboardTest.moc"
