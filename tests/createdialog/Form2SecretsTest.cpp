// The creation dialog shows both passwords in clear: its fields copy only
// marked, never into the mouse selection, and what was copied from them does
// not outlive the dialog.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include "createdialog/Form2.h"
#include "runtime/Clipboard.h"
#include "tests/support/ClipboardProbe.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;

const QString kBefore = QStringLiteral("held before");
const QString kPrimaryBefore = QStringLiteral("primary before");

void CopyAll(QLineEdit *field) {
  QTest::keySequence(field, QKeySequence::SelectAll);
  QTest::keySequence(field, QKeySequence::Copy);
}

}  // namespace

class Form2SecretsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { held_.Set(300ms, kBefore, kPrimaryBefore); }
  void cleanup() { held_.Release(); }

  void fieldsCopyOnlyMarked_data();
  void fieldsCopyOnlyMarked();
  void labelsArePlainText();
  void closingClearsOnlyOurCopy_data();
  void closingClearsOnlyOurCopy();

 private:
  HeldByAnother held_;
};

void Form2SecretsTest::fieldsCopyOnlyMarked_data() {
  QTest::addColumn<int>("index");
  QTest::newRow("login password") << 2;
  QTest::newRow("edit password") << 3;
  QTest::newRow("hint word") << 4;
  QTest::newRow("a column title") << 5;
}

void Form2SecretsTest::fieldsCopyOnlyMarked() {
  QFETCH(int, index);
  Form2 dialog;
  dialog.show();
  dialog.activateWindow();  // an X display without a window manager gives no focus by itself
  QApplication::setActiveWindow(&dialog);
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  QLineEdit *field = dialog.Text1[index];
  field->setFocus();
  field->clear();
  QTest::keyClicks(field, QStringLiteral("s3cret-word"));
  QTest::mouseDClick(field, Qt::LeftButton, {}, QPoint(6, field->height() / 2));
  QVERIFY(field->hasSelectedText());
  if (HasSelection()) QCOMPARE(Board()->text(QClipboard::Selection), kPrimaryBefore);
  QCOMPARE(Board()->text(), kBefore);
  CopyAll(field);
  QCOMPARE(Board()->text(), QStringLiteral("s3cret-word"));
  QVERIFY(MarkedSecret());
  QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);
}

void Form2SecretsTest::labelsArePlainText() {
  Form2 dialog;
  const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
  QCOMPARE(labels.size(), 12);
  for (const QLabel *label : labels) QCOMPARE(label->textFormat(), Qt::PlainText);
}

void Form2SecretsTest::closingClearsOnlyOurCopy_data() {
  QTest::addColumn<bool>("copiedElsewhere");
  QTest::newRow("our copy") << false;
  QTest::newRow("copied elsewhere since") << true;
}

void Form2SecretsTest::closingClearsOnlyOurCopy() {
  QFETCH(bool, copiedElsewhere);
  runtime::SetClipboardClearDelayForTest(60s);  // only the closing clears here
  TempFolder folder;
  ScriptedMessageBox box;
  bool copied = false;
  QTimer::singleShot(0, this, [&] {
    auto *dialog = qobject_cast<Form2 *>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    dialog->Text1[2]->setText(QStringLiteral("open sesame"));
    CopyAll(dialog->Text1[2]);
    copied = Board()->text() == QLatin1String("open sesame");
    if (copiedElsewhere) Board()->setText(QStringLiteral("elsewhere"));
    QTest::mouseClick(dialog->SSCommand2, Qt::LeftButton);  // "Close"
  });
  RunCreateDialog();
  QVERIFY(copied);
  QCOMPARE(Board()->text(), copiedElsewhere ? QStringLiteral("elsewhere") : QString());
  QCOMPARE(MarkedSecret(), !copiedElsewhere);
}

QTEST_MAIN(Form2SecretsTest)
#include "Form2SecretsTest.moc"
