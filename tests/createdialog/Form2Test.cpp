// The creation dialog on screen: its opening state, the field rules, the
// refusals of "Save" and the vault it writes.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "createdialog/Form2.h"
#include "store/Module1.h"
#include "runtime/Files.h"
#include "runtime/MessageBox.h"
#include "store/Vault.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

namespace {

const QString kDifferent = QStringLiteral("異なるパスワードを設定してください。");
const std::string kSaveCaption = "Save/ Create Vantry";

QStringList Texts(const Form2 &dialog) {
  QStringList texts;
  for (const QLineEdit *field : dialog.Text1) texts << field->text();
  return texts;
}

// Indexes of the fields or frames whose own flag says visible.
template <typename Array>
QList<int> Shown(const Array &widgets) {
  QList<int> shown;
  for (int i = 0; i < static_cast<int>(widgets.size()); ++i)
    if (widgets[i]->isVisibleTo(widgets[i]->parentWidget())) shown << i;
  return shown;
}

QList<int> Range(int first, int last) {
  QList<int> list;
  for (int i = first; i <= last; ++i) list << i;
  return list;
}

int FocusedField(const Form2 &dialog) {
  for (int i = 0; i < static_cast<int>(dialog.Text1.size()); ++i)
    if (dialog.Text1[i]->hasFocus()) return i;
  return -1;
}

}  // namespace

class Form2Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<ScriptedMessageBox> box_;
  std::unique_ptr<Form2> dialog_;

  Form2 &Dialog() { return *dialog_; }
  QLineEdit *Field(int index) { return dialog_->findChild<QLineEdit *>(QStringLiteral("Text1_%1").arg(index)); }

  void Retype(int index, const QString &text) {
    Field(index)->selectAll();
    if (text.isEmpty())
      QTest::keyClick(Field(index), Qt::Key_Delete);
    else
      QTest::keyClicks(Field(index), text);
  }
  void FillCredentials(const QString &login, const QString &edit, const QString &hint) {
    Field(2)->setText(login);
    Field(3)->setText(edit);
    Field(4)->setText(hint);
  }
  void ClickSave() { QTest::mouseClick(dialog_->findChild<QWidget *>(QStringLiteral("SSCommand1")), Qt::LeftButton); }

 private slots:
  void initTestCase() { UseBuiltCipher(); }

  void init() {
    folder_ = std::make_unique<TempFolder>();
    box_ = std::make_unique<ScriptedMessageBox>();
    dialog_ = std::make_unique<Form2>();
    dialog_->show();
    QApplication::setActiveWindow(dialog_.get());
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
  }

  void cleanup() {
    dialog_.reset();
    box_.reset();
    folder_.reset();
  }

  void openingState() {
    QCOMPARE(Dialog().windowTitle(), QStringLiteral("Create Vantry"));
    QCOMPARE(Texts(Dialog()), (QStringList{"7", "5", "", "", "", "User Name", "Login", "Confirm", "Kouza No",
                                           "Card Password", "Phone No", "Aux", "Dummy"}));
    const QStringList captions = {
        "行数（パスワードの数）（Max32）：", "列数（Ｍａｘ7）：", "編集パスワード：", "ログインパスワード：",
        "パスワード連想言葉", "第１列項目名：", "第２列項目名：", "第３列項目名：", "第４列項目名：",
        "第５列項目名：", "第６列項目名：", "第７列項目名："};
    for (int i = 0; i < captions.size(); ++i)
      QCOMPARE(Dialog().findChild<QLabel *>(QStringLiteral("Label1_%1").arg(i))->text(), captions[i]);
    // The login field sits beside label 3, the edit field beside label 2.
    QCOMPARE(Dialog().Label1[3]->parentWidget(), Field(2)->parentWidget());
    QCOMPARE(Dialog().Label1[2]->parentWidget(), Field(3)->parentWidget());

    QCOMPARE(Shown(Dialog().Text1), Range(0, 9));
    QCOMPARE(Shown(Dialog().SSFrame1), Range(0, 8));
    QCOMPARE(Dialog().OuterHeightTwips(), 6165);
    QCOMPARE(FocusedField(Dialog()), 0);
    for (int i = 2; i <= 4; ++i) QCOMPARE(Field(i)->echoMode(), QLineEdit::Normal);
    QVERIFY(Dialog().SSCommand1->isEnabled());
    QVERIFY(Dialog().SSCommand2->isEnabled());
    QCOMPARE(Dialog().SSCommand1->text(), QStringLiteral("Save"));
    QCOMPARE(Dialog().SSCommand2->text(), QStringLiteral("Close"));
    QCOMPARE(Dialog().SSCommand1->parentWidget(), Dialog().SSPanel2);
  }

  void tabOrder() {
    QList<QWidget *> expected;
    for (int i = 0; i <= 11; ++i) expected << Field(i);
    expected << Dialog().SSCommand2 << Dialog().SSCommand1;
    QWidget *w = Field(0);
    for (QWidget *next : expected.mid(1)) {
      w = w->nextInFocusChain();
      while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
      QCOMPARE(w, next);
    }
  }

  void countFieldCorrection_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    const int enter = Qt::Key_Return, tab = Qt::Key_Tab;
    QTest::newRow("rows 3") << 0 << "3" << enter << "7";
    QTest::newRow("rows 0") << 0 << "0" << enter << "7";
    QTest::newRow("rows empty") << 0 << "" << enter << "7";
    QTest::newRow("rows letters") << 0 << "abc" << tab << "7";
    QTest::newRow("rows 40") << 0 << "40" << enter << "32";
    QTest::newRow("rows 20 kept") << 0 << "20" << tab << "20";
    QTest::newRow("rows 3abc") << 0 << "3abc" << enter << "7";
    QTest::newRow("rows long digits") << 0 << "123456789012345678901234" << enter << "32";
    QTest::newRow("rows large negative") << 0 << "-99999999" << enter << "7";
    QTest::newRow("rows keypad enter") << 0 << "40" << int(Qt::Key_Enter) << "32";
    QTest::newRow("columns 9") << 1 << "9" << enter << "7";
    QTest::newRow("columns 2") << 1 << "2" << tab << "3";
    QTest::newRow("columns 6.5 kept") << 1 << "6.5" << enter << "6.5";
    QTest::newRow("columns long digits") << 1 << "99999999999999999999" << enter << "7";
    QTest::newRow("columns large negative") << 1 << "-1e9" << tab << "3";
  }

  void countFieldCorrection() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, shown);
    Retype(field, typed);
    QCOMPARE(Field(field)->text(), typed);  // typing alone corrects nothing
    QTest::keyClick(Field(field), static_cast<Qt::Key>(key));
    QCOMPARE(Field(field)->text(), shown);
    QVERIFY(box_->Shown().empty());
  }

  void columnLayout_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("height");
    QTest::newRow("3") << "3" << 3 << 4905;
    QTest::newRow("4") << "4" << 4 << 5535;
    QTest::newRow("5") << "5" << 5 << 6165;
    QTest::newRow("6") << "6" << 6 << 6795;
    QTest::newRow("7") << "7" << 7 << 7425;
    QTest::newRow("6.5 counts as 6") << "6.5" << 6 << 6795;
    QTest::newRow("2 becomes 3") << "2" << 3 << 4905;
    QTest::newRow("9 becomes 7") << "9" << 7 << 7425;
  }

  void columnLayout() {
    QFETCH(QString, typed);
    QFETCH(int, columns);
    QFETCH(int, height);
    Field(9)->setText(QStringLiteral("Edited"));
    Retype(1, typed);
    QTest::keyClick(Field(1), Qt::Key_Return);
    QCOMPARE(Shown(Dialog().Text1), Range(0, columns + 4));
    QCOMPARE(Shown(Dialog().SSFrame1), Range(0, columns + 3));
    QCOMPARE(Dialog().OuterHeightTwips(), height);
    // Hidden fields keep their text.
    QCOMPARE(Field(9)->text(), QStringLiteral("Edited"));
    QCOMPARE(Field(11)->text(), QStringLiteral("Aux"));
  }

  void focusStep_data() {
    QTest::addColumn<QString>("columns");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");
    const int enter = Qt::Key_Return, tab = Qt::Key_Tab;
    QTest::newRow("rows to columns") << "5" << 0 << enter << "Text1_1";
    QTest::newRow("columns to login") << "5" << 1 << tab << "Text1_2";
    QTest::newRow("login to edit") << "5" << 2 << enter << "Text1_3";
    QTest::newRow("edit to hint") << "5" << 3 << enter << "Text1_4";
    QTest::newRow("hint to first title") << "5" << 4 << tab << "Text1_5";
    QTest::newRow("5 columns: last title wraps") << "5" << 9 << enter << "Text1_0";
    QTest::newRow("5 columns: tab goes on to Close") << "5" << 9 << tab << "SSCommand2";
    QTest::newRow("3 columns: last title wraps") << "3" << 7 << enter << "Text1_0";
    QTest::newRow("7 columns: title 6 to 7") << "7" << 10 << enter << "Text1_11";
    QTest::newRow("7 columns: tab past the last field") << "7" << 11 << tab << "SSCommand2";
    QTest::newRow("7 columns: enter past the last field") << "7" << 11 << enter << "Text1_0";
  }

  void focusStep() {
    QFETCH(QString, columns);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(QString, to);
    Field(1)->setText(columns);
    Dialog().ApplyColumnCount();
    Field(from)->setFocus();
    QTest::keyClick(Field(from), static_cast<Qt::Key>(key));
    QVERIFY(QApplication::focusWidget() != nullptr);
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
  }

  // Tab alone runs through every field shown, "Close", "Save" and round
  // again, confirming the count fields on the way; Shift+Tab goes back.
  void tabReachesCloseAndSave() {
    Retype(0, QStringLiteral("50"));
    Retype(1, QStringLiteral("3"));
    Field(0)->setFocus();
    QStringList visited;
    for (int i = 0; i < 11; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"Text1_1", "Text1_2", "Text1_3", "Text1_4", "Text1_5", "Text1_6", "Text1_7",
                                   "SSCommand2", "SSCommand1", "Text1_0", "Text1_1"}));
    QCOMPARE(Field(0)->text(), QStringLiteral("32"));
    QCOMPARE(Shown(Dialog().Text1), Range(0, 7));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), Field(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), Dialog().SSCommand1);
  }

  // Enter on a focused button presses it: "Save" refuses empty passwords,
  // "Close" ends the dialog without a file.
  void enterPressesTheFocusedButton() {
    Dialog().SSCommand1->setFocus();
    QTest::keyClick(Dialog().SSCommand1, Qt::Key_Return);
    QCOMPARE(box_->Shown().size(), size_t{1});
    QVERIFY(Dialog().isVisible());
    Dialog().SSCommand2->setFocus();
    QTest::keyClick(Dialog().SSCommand2, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!Dialog().isVisible());
    QCOMPARE(Dialog().result(), int(QDialog::Rejected));
    QVERIFY(!folder_->Has("Vantry.csv"));
  }

  void columnsConfirmedThenFocusFollowsNewLayout() {
    Retype(1, QStringLiteral("3"));
    QTest::keyClick(Field(1), Qt::Key_Tab);
    Field(7)->setFocus();
    QTest::keyClick(Field(7), Qt::Key_Return);
    QCOMPARE(FocusedField(Dialog()), 0);
  }

  void escapeKeepsDialogOpen() {
    QTest::keyClick(Field(2), Qt::Key_Escape);
    QVERIFY(Dialog().isVisible());
  }

  void showSaveError() {
    Dialog().ShowSaveError("first", "");
    Dialog().ShowSaveError("一行目", "二行目");
    QCOMPARE(box_->Shown().size(), size_t{2});
    QCOMPARE(box_->Shown()[0].text, std::string("first\r\n"));
    QCOMPARE(box_->Shown()[1].text, std::string("一行目\r\n二行目"));
    for (const ShownMessage &shown : box_->Shown()) {
      QCOMPARE(shown.style, 16);
      QCOMPARE(shown.caption, kSaveCaption);
    }
  }

  void saveRefusal_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const QString noLogin = QStringLiteral("ログインパスワードが設定されていません。");
    const QString noEdit = QStringLiteral("編集パスワードが設定されていません。");
    const QString sameEdit = QStringLiteral("ログインパスワードと編集パスワードが同じです。");
    const QString sameLoginHint = QStringLiteral("ログインパスワードと連想言葉が同じです。");
    const QString sameEditHint = QStringLiteral("編集パスワードと連想言葉が同じです。");
    QTest::newRow("no login") << "" << "edit" << "hint" << noLogin << "";
    QTest::newRow("blank-only login") << "   " << "edit" << "hint" << noLogin << "";
    QTest::newRow("both empty: first only") << "" << "" << "" << noLogin << "";
    QTest::newRow("no edit") << "login" << "  " << "" << noEdit << "";
    QTest::newRow("same passwords") << "secret" << "secret" << "" << sameEdit << kDifferent;
    QTest::newRow("same after trimming") << " secret" << "secret  " << "" << sameEdit << kDifferent;
    QTest::newRow("hint is login") << "login" << "edit" << " login " << sameLoginHint << kDifferent;
    QTest::newRow("hint is edit") << "login" << "edit" << "edit" << sameEditHint << kDifferent;
    QTest::newRow("hint is both: passwords first") << "same" << "same" << "same" << sameEdit << kDifferent;
  }

  void saveRefusal() {
    QFETCH(QString, login);
    QFETCH(QString, edit);
    QFETCH(QString, hint);
    QFETCH(QString, first);
    QFETCH(QString, second);
    FillCredentials(login, edit, hint);
    ClickSave();
    QCOMPARE(box_->Shown().size(), size_t{1});
    QCOMPARE(QString::fromStdString(box_->Shown()[0].text), first + "\r\n" + second);
    QCOMPARE(box_->Shown()[0].style, 16);
    QCOMPARE(box_->Shown()[0].caption, kSaveCaption);
    QVERIFY(Dialog().isVisible());
    QCOMPARE(Field(2)->text(), login);  // left as typed
    QVERIFY(folder_->Snapshot().empty());
  }

  void storageRefusal_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("first");
    // The wording the writer and the main window's Save use as well.
    const QString bad = QStringLiteral(" holds a comma, a line break or a NUL character.");
    QTest::newRow("comma in login") << 2 << "log,in" << "The login password" + bad;
    QTest::newRow("comma in edit") << 3 << "ed,it" << "The edit password" + bad;
    QTest::newRow("comma in hint") << 4 << "hi,nt" << "The hint word" + bad;
    QTest::newRow("comma in title 1") << 5 << "User,Name" << "The title of column 1" + bad;
    QTest::newRow("comma in title 5") << 9 << "Card,Password" << "The title of column 5" + bad;
    QTest::newRow("pasted line feed") << 3 << "ed\nit" << "The edit password" + bad;
    QTest::newRow("pasted carriage return") << 7 << "Con\rfirm" << "The title of column 3" + bad;
    QTest::newRow("too long") << 2 << QString(500, QLatin1Char('x'))
                              << "Row 31 (LoginPassword) is too long: at most 510 bytes fit in one record.";  // of 40 rows, kept to 32
  }

  void storageRefusal() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, first);
    FillCredentials("login", "edit", "hint");
    Field(field)->setText(text);
    // Counts typed but not confirmed stay as typed through a refusal.
    Field(0)->setText(QStringLiteral("40"));
    Field(1)->setText(QStringLiteral("6"));
    const QStringList typed = Texts(Dialog());
    const QList<int> shown = Shown(Dialog().Text1);
    ClickSave();
    QCOMPARE(box_->Shown().size(), size_t{1});
    QVERIFY(QString::fromStdString(box_->Shown()[0].text).startsWith(first + "\r\n"));
    QCOMPARE(box_->Shown()[0].style, 16);
    QCOMPARE(box_->Shown()[0].caption, kSaveCaption);
    QVERIFY(Dialog().isVisible());
    QVERIFY(folder_->Snapshot().empty());
    QCOMPARE(Texts(Dialog()), typed);
    QCOMPARE(Shown(Dialog().Text1), shown);
  }

  // A vault that could not be written keeps the dialog open as typed, so
  // Save can be pressed again once the cause is gone.
  void failedWriteKeepsEverythingTyped() {
    FillCredentials("login", "edit", "hint");
    Field(0)->setText(QStringLiteral("40"));
    Field(6)->setText(QStringLiteral("Account"));
    const QStringList typed = Texts(Dialog());
    runtime::Files().makeTemp = [](char *) { return -1; };  // as on a full disk or read-only folder
    ClickSave();
    runtime::ResetFiles();
    QCOMPARE(box_->Shown().size(), size_t{1});
    QCOMPARE(box_->Shown()[0].text, std::string("   Can not open Vantry.csv !    "));
    QVERIFY(Dialog().isVisible());
    QCOMPARE(Dialog().result(), 0);
    QCOMPARE(Texts(Dialog()), typed);
    QVERIFY(folder_->Snapshot().empty());
    ClickSave();
    QCOMPARE(box_->Shown().size(), size_t{1});
    QVERIFY(!Dialog().isVisible());
    QCOMPARE(ReadVault(), int16_t(32));
    QCOMPARE(Module1::ColumnTitles[2], std::string("Account"));
  }

  void existingArchiveIsNotBuriedUnasked_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("OK makes it the backup") << runtime::kAnswerOk;
    QTest::newRow("Cancel writes nothing") << runtime::kAnswerCancel;
  }

  // Started from another folder, the program finds no archive, yet its own
  // folder holds one.
  void existingArchiveIsNotBuriedUnasked() {
    QFETCH(int, answer);
    folder_->Write("Vantry.csv", "the owner's vault");
    FillCredentials("login", "edit", "hint");
    const QStringList typed = Texts(Dialog());
    box_->Answer(answer);
    ClickSave();
    QCOMPARE(box_->Shown().size(), size_t{1});
    const std::string question = "This folder already holds a vault:\r\n" + Module1::AppFolder +
                                 "/Vantry.csv\r\nSaving a new vault makes it the backup \"Vantry1.csv\". Save anyway?";
    QCOMPARE(box_->Shown()[0].text, question);
    QCOMPARE(box_->Shown()[0].style, runtime::kStyleQuestionOkCancel);
    QCOMPARE(box_->Shown()[0].caption, kSaveCaption);
    if (answer == runtime::kAnswerOk) {
      QVERIFY(!Dialog().isVisible());
      QCOMPARE(folder_->Read("Vantry1.csv"), std::string("the owner's vault"));
      QCOMPARE(ReadVault(), int16_t(7));
    } else {
      QVERIFY(Dialog().isVisible());
      QCOMPARE(Texts(Dialog()), typed);
      QCOMPARE(folder_->Snapshot().size(), size_t{1});
      QCOMPARE(folder_->Read("Vantry.csv"), std::string("the owner's vault"));
    }
  }

  void longestCredentialsStillFit() {
    // 5 columns, 7 rows: the credentials record holds 48 bytes besides them.
    FillCredentials(QString(200, 'a'), QString(200, 'b'), QString(62, 'c'));
    ClickSave();
    QVERIFY(box_->Shown().empty());
    QVERIFY(ReadVault() == 7);
    QCOMPARE(Module1::LoginPasswordText, std::string(200, 'a'));
  }

  void titleBeyondColumnsIsNotChecked() {
    FillCredentials("login", "edit", "hint");
    Field(10)->setText(QStringLiteral("Phone,No"));  // column 6 of 5
    ClickSave();
    QVERIFY(box_->Shown().empty());
    QVERIFY(folder_->Has("Vantry.csv"));
  }

  void savedVault_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("wantRows");
    QTest::addColumn<QStringList>("titles");
    const QStringList all = {"User Name", "Login", "Confirm", "Kouza No", "Card Password", "Phone No", "Aux"};
    QTest::newRow("defaults") << "7" << "5" << false << 7 << all.mid(0, 5);
    QTest::newRow("32 by 7") << "32" << "7" << true << 32 << all;
    QTest::newRow("20 by 3") << "20" << "3" << true << 20 << all.mid(0, 3);
    QTest::newRow("unconfirmed 40 rows, 2 columns") << "40" << "2" << false << 32 << all.mid(0, 3);
    QTest::newRow("unconfirmed 3 rows, 9 columns") << "3" << "9" << false << 7 << all;
    QTest::newRow("unconfirmed long digits") << "99999999999999" << "-99999999999999" << false << 32
                                             << all.mid(0, 3);
    QTest::newRow("unconfirmed 6 columns reads hidden title") << "7" << "6" << false << 7 << all.mid(0, 6);
  }

  void savedVault() {
    QFETCH(QString, rows);
    QFETCH(QString, columns);
    QFETCH(bool, confirm);
    QFETCH(int, wantRows);
    QFETCH(QStringList, titles);
    const int wantColumns = static_cast<int>(titles.size());
    Field(0)->setText(rows);
    Field(1)->setText(columns);
    if (confirm) {
      QTest::keyClick(Field(0), Qt::Key_Return);
      QTest::keyClick(Field(1), Qt::Key_Return);
    }
    Field(5)->setText(QStringLiteral("  User Name  "));  // stored trimmed
    FillCredentials(QStringLiteral(" Öffne-ログイン "), QStringLiteral("edit pass"), QStringLiteral(" 合言葉 "));
    ClickSave();
    QVERIFY(box_->Shown().empty());
    QCOMPARE(Dialog().result(), int(QDialog::Accepted));
    QVERIFY(!Dialog().isVisible());

    std::string header = folder_->Read("Vantry.csv");
    header = header.substr(0, header.find("\r\n"));
    QString expectedHeader = QStringLiteral("%1x%2").arg(wantRows).arg(wantColumns);
    for (const QString &title : titles) expectedHeader += "," + title;
    QCOMPARE(QString::fromStdString(header), expectedHeader);

    Module1::Reset();
    Module1::AppFolder = folder_->Path();
    QCOMPARE(int(ReadVault()), wantRows);
    using namespace Module1;
    QCOMPARE(int(RowCount), wantRows);
    QCOMPARE(int(ColumnCount), wantColumns);
    for (int c = 1; c <= wantColumns; ++c) QCOMPARE(QString::fromStdString(ColumnTitles[c]), titles[c - 1]);
    for (int r = 0; r < wantRows; ++r) {
      const std::string name = r == wantRows - 2 ? "LoginPassword" : "New" + std::to_string(r + 1);
      QCOMPARE(VaultTable[r][0], name);
      if (r == wantRows - 2) continue;
      for (int c = 1; c <= wantColumns; ++c) QVERIFY(VaultTable[r][c].empty());
    }
    const Row &credentials = VaultTable[wantRows - 2];
    QCOMPARE(credentials[1], std::string("合言葉"));
    QCOMPARE(credentials[2], std::string("Öffne-ログイン"));
    QCOMPARE(credentials[3], std::string("edit pass"));
    // Fields 4 and 5 reach the file only as columns 4 and 5.
    if (wantColumns >= 4) QCOMPARE(credentials[4], std::string("LoginPassword"));
    if (wantColumns >= 5) QCOMPARE(credentials[5], std::string("EditPassword"));
    QCOMPARE(HintText, std::string("合言葉"));
    QCOMPARE(LoginPasswordText, std::string("Öffne-ログイン"));
    QCOMPARE(EditPasswordText, std::string("edit pass"));
  }

  void caseDifferencesAccepted() {
    FillCredentials("Secret", "secret", "SECRET");
    ClickSave();
    QVERIFY(box_->Shown().empty());
    QVERIFY(folder_->Has("Vantry.csv"));
  }

  void editedTitleBeyondConfirmedColumnsNotStored() {
    Field(9)->setText(QStringLiteral("Changed"));
    Retype(1, QStringLiteral("4"));
    QTest::keyClick(Field(1), Qt::Key_Return);
    FillCredentials("login", "edit", "");
    ClickSave();
    const std::string file = folder_->Read("Vantry.csv");
    QCOMPARE(file.substr(0, file.find("\r\n")), std::string("7x4,User Name,Login,Confirm,Kouza No"));
  }

  void savingMovesExistingArchiveAside() {
    folder_->Write("Vantry.csv", "old archive");
    FillCredentials("login", "edit", "");
    ClickSave();
    QCOMPARE(folder_->Read("Vantry1.csv"), std::string("old archive"));
    QVERIFY(folder_->Read("Vantry.csv").rfind("7x5,", 0) == 0);
  }

  void closeWritesNothing_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Close button") << true;
    QTest::newRow("window close") << false;
  }

  void closeWritesNothing() {
    QFETCH(bool, byButton);
    FillCredentials("login", "edit", "hint");
    if (byButton)
      QTest::mouseClick(Dialog().SSCommand2, Qt::LeftButton);
    else
      Dialog().close();
    QVERIFY(!Dialog().isVisible());
    QCOMPARE(Dialog().result(), int(QDialog::Rejected));
    QVERIFY(folder_->Snapshot().empty());
    QVERIFY(Module1::LoginPasswordText.empty());
    QCOMPARE(int(Module1::RowCount), 0);
    QVERIFY(box_->Shown().empty());
  }
};

QTEST_MAIN(Form2Test)
#include "Form2Test.moc"
