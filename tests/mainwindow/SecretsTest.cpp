// What the main window hands to the desktop: every copy of a stored value or
// a password marked and timed, nothing in the mouse selection, nothing left
// behind when the grid is masked again, and owner text shown as typed.
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
#include "tests/mainwindow/Session.h"

namespace {

using namespace std::chrono_literals;

const QString kBefore = QStringLiteral("held before");
const QString kPrimaryBefore = QStringLiteral("primary before");

void Click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

void PickCell(Form1 &form, int col, int row) {
  controls::VaSpread *grid = form.vaSpread1;
  const QModelIndex index = grid->model()->index(row - 1, col - 1);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

// The corner cell of the grid.
void PickCorner(Form1 &form) {
  auto *corner = form.vaSpread1->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
  QVERIFY(corner != nullptr);
  QTest::mouseClick(corner, Qt::LeftButton, {}, corner->rect().center());
}

// Opens the editor of a cell in edit mode.
QLineEdit *OpenEditor(Form1 &form, int col, int row) {
  controls::VaSpread *grid = form.vaSpread1;
  const QModelIndex index = grid->model()->index(row - 1, col - 1);
  grid->setCurrentIndex(index);
  grid->edit(index);
  return qobject_cast<QLineEdit *>(QApplication::focusWidget());
}

}  // namespace

class SecretsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseBuiltCipher(); }
  void init() { held_.Set(300ms, kBefore, kPrimaryBefore); }
  void cleanup() { held_.Release(); }

  void copiesAreClearedAfterTheDelay_data();
  void copiesAreClearedAfterTheDelay();
  void boxesShowingSecretsCopyOnlyMarked_data();
  void boxesShowingSecretsCopyOnlyMarked();
  void maskingAgainClearsOnlyOurCopy_data();
  void maskingAgainClearsOnlyOurCopy();
  void ownerTextShownAsTyped();

 private:
  HeldByAnother held_;
};

void SecretsTest::copiesAreClearedAfterTheDelay_data() {
  QTest::addColumn<bool>("byCopyButton");
  QTest::newRow("a pick at level 0") << false;
  QTest::newRow("the Copy button") << true;
}

void SecretsTest::copiesAreClearedAfterTheDelay() {
  QFETCH(bool, byCopyButton);
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  if (byCopyButton) {
    form.vaSpread1->setCurrentIndex(form.vaSpread1->model()->index(0, 1));
    Click(form.SSCommand2);
  } else {
    PickCell(form, 2, 1);
  }
  QCOMPARE(Board()->text(), QStringLiteral("b4nk-pass"));
  QVERIFY(MarkedSecret());
  QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);
  QVERIFY(MarkedSecret());
}

void SecretsTest::boxesShowingSecretsCopyOnlyMarked_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("text");
  QTest::newRow("a cell editor") << "cell" << "b4nk-pass";
  QTest::newRow("the password box at level 1") << "level1" << "open sesame";
  QTest::newRow("the item-name box") << "itemname" << "Bank";
}

// Ctrl+A, Ctrl+C and a double click in each box that can show a stored value
// or a password: the clipboard gets the text only marked, the mouse
// selection never.
void SecretsTest::boxesShowingSecretsCopyOnlyMarked() {
  QFETCH(QString, box);
  QFETCH(QString, text);
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  Click(form.SSCommand1);
  QLineEdit *edit = form.Text1;
  if (box == QLatin1String("level1")) {
    QTest::keyClicks(edit, text);
  } else {
    Click(form.SSCommand1);  // level 2
    Click(form.SSCommand3);  // edit mode: Text1 shows the active row's item name
    if (box == QLatin1String("cell")) edit = OpenEditor(form, 2, 1);
  }
  QVERIFY(edit != nullptr);
  QCOMPARE(edit->text(), text);
  QTest::keySequence(edit, QKeySequence::SelectAll);
  QTest::keySequence(edit, QKeySequence::Copy);
  QCOMPARE(Board()->text(), text);
  QVERIFY(MarkedSecret());
  QTRY_VERIFY_WITH_TIMEOUT(Board()->text().isEmpty(), 5000);
  // A click into the password box empties it; a double click in a cell
  // editor selects a word.
  QTest::mouseDClick(edit, Qt::LeftButton, {}, QPoint(6, edit->height() / 2));
  if (HasSelection()) QCOMPARE(Board()->text(QClipboard::Selection), kPrimaryBefore);
}

void SecretsTest::maskingAgainClearsOnlyOurCopy_data() {
  QTest::addColumn<bool>("relock");         // Label1 double-click, else Display to level 0
  QTest::addColumn<bool>("copiedElsewhere");
  QTest::addColumn<QString>("left");
  QTest::newRow("Display to level 0") << false << false << "";
  QTest::newRow("relocked") << true << false << "";
  QTest::newRow("Display to level 0, copied elsewhere since") << false << true << "elsewhere";
  QTest::newRow("relocked, copied elsewhere since") << true << true << "elsewhere";
}

void SecretsTest::maskingAgainClearsOnlyOurCopy() {
  QFETCH(bool, relock);
  QFETCH(bool, copiedElsewhere);
  QFETCH(QString, left);
  runtime::SetClipboardClearDelayForTest(60s);  // only the masking clears here
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  Click(form.SSCommand1);
  Click(form.SSCommand1);  // level 2, all in clear
  form.vaSpread1->setCurrentIndex(form.vaSpread1->model()->index(0, 1));
  Click(form.SSCommand2);
  QCOMPARE(Board()->text(), QStringLiteral("b4nk-pass"));
  if (copiedElsewhere) Board()->setText(QStringLiteral("elsewhere"));
  if (relock)
    QTest::mouseDClick(form.Label1, Qt::LeftButton);
  else
    Click(form.SSCommand1);
  QCOMPARE(Module1::DisplayLevel, int16_t(0));
  QCOMPARE(Board()->text(), left);
  QCOMPARE(MarkedSecret(), !copiedElsewhere);
  if (HasSelection()) QCOMPARE(Board()->text(QClipboard::Selection), kPrimaryBefore);
}

// An item name typed into the box at the corner, and every label of the
// window, shown as the characters typed, never as markup.
void SecretsTest::ownerTextShownAsTyped() {
  OPEN_SESSION(session);
  const QString markup = QStringLiteral("<h2><u>Big</u></h2>");
  Type(form, kLogin);
  Type(form, kEdit);
  Click(form.SSCommand1);
  Click(form.SSCommand1);
  Click(form.SSCommand3);
  PickCorner(form);
  QCOMPARE(Module1::ActiveRow, 0);
  Type(form, markup);
  QCOMPARE(Cell(form, 0, 0), markup);
  const QList<QLabel *> labels = form.findChildren<QLabel *>();
  QVERIFY(labels.size() >= 2);  // Label1 and the corner's
  bool cornerSeen = false;
  for (const QLabel *label : labels) {
    QCOMPARE(label->textFormat(), Qt::PlainText);
    if (label->text() != markup) continue;
    cornerSeen = true;
    // As wide as the characters themselves, tags included.
    QVERIFY(label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(markup));
  }
  QVERIFY(cornerSeen);
}

QTEST_MAIN(SecretsTest)
#include "SecretsTest.moc"
