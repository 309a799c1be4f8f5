#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "controls/ThreeD.h"
#include "controls/Twips.h"
#include "controls/VaSpread.h"
#include "mainwindow/Form1.h"
#include "tests/mainwindow/Session.h"

namespace {

qreal Dpi(const QWidget &w) { return controls::ScreenDpi(&w); }

QSize ClientTwips(const Form1 &form) {
  return {controls::PixelsToTwips(form.width(), Dpi(form)), controls::PixelsToTwips(form.height(), Dpi(form))};
}

// The window's sizes: the outer size as set, and the client area it gives
// with the designed frame (90 twips of borders, 375 of title bar and borders).
void CheckSize(const Form1 &form, int outerHeight) {
  QCOMPARE(form.outerSizeTwips(), QSize(8670, outerHeight));
  QCOMPARE(ClientTwips(form), QSize(8580, outerHeight - 375));
}

int Twips(const QWidget &w, int pixels) { return controls::PixelsToTwips(pixels, Dpi(w)); }

enum class Phase { Closed, Opened, Unlocked, Relocked };

void CheckPhase(const Form1 &form, Phase phase) {
  const bool panels = phase != Phase::Closed;
  QCOMPARE(form.SSPanel1->isVisible(), panels);
  QCOMPARE(form.SSPanel2->isVisible(), panels);
  CheckSize(form, phase == Phase::Unlocked ? 4320 : 2565);
  QCOMPARE(form.SSCommand1->isEnabled(), phase == Phase::Unlocked);
  QVERIFY(form.SSCommand2->isEnabledTo(&form));
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseBuiltCipher(); }
  void loadSetsCaptionFlagsAndClosedPhase();
  void controlsStandAsDesigned_data();
  void controlsStandAsDesigned();
  void formSizes_data();
  void formSizes();
  void formSizeRefusesOtherModes_data();
  void formSizeRefusesOtherModes();
  void phasesClosedOpenedUnlockedRelocked();
  void wrongEntrySequence_data();
  void wrongEntrySequence();
  void failedTriesStopsAtItsLargestValue();
  void editPasswordBeforeLogin();
  void nearMissesAreWrong_data();
  void nearMissesAreWrong();
  void loginAgainOnlyEmptiesTheBox();
  void equalPasswordsNeverUnlock();
  void itemNameEntryAtLevel2_data();
  void itemNameEntryAtLevel2();
  void clickIntoBoxEmptiesIt();
  void typedPasswordCannotBeUndoneIntoView();
  void label1DoubleClickBeforeLogin();
  void label1DoubleClickFromClearDisplay();
  void keyboardOrderSkipsDisabledButtons();
  void closingEmptiesClipboard();
  void backgroundClickMinimises();
  void showMainWindowMakesOneWindow();
};

void Form1Test::loadSetsCaptionFlagsAndClosedPhase() {
  // Flags left over must not survive the load.
  TempFolder folder;
  QVERIFY(WriteAndReadArchive(kTitles, kRows));
  Module1::FailedTries = 5;
  Module1::DisplayLevel = 2;
  Module1::EditMode = 1;
  Module1::SizeToggle = 1;
  Module1::LoginPasswordText = "stale";
  Form1 form;
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));

  QCOMPARE(form.windowTitle(), QStringLiteral("    Vantry                               Ver 1.40        Dec. 26 '10"));
  QCOMPARE(Module1::FailedTries, 0);
  QCOMPARE(Module1::DisplayLevel, 0);
  QCOMPARE(Module1::EditMode, 0);
  QCOMPARE(Module1::SizeToggle, 0);
  QCOMPARE(Module1::LoginPasswordText, std::string("open sesame"));
  CheckPhase(form, Phase::Closed);
  QCOMPARE(form.palette().color(QPalette::Window), QColor(128, 255, 255));

  QCOMPARE(form.Label1->text(), QStringLiteral("Password"));
  QVERIFY(form.Text1->isVisible());
  QVERIFY(form.Text1->isEnabled());
  QVERIFY(form.Text1->text().isEmpty());
  QCOMPARE(form.passwordChar(), QStringLiteral("*"));
  QCOMPARE(form.Text1->echoMode(), QLineEdit::Password);
  QCOMPARE(QApplication::focusWidget(), form.Text1);

  const controls::SSCommand *buttons[] = {form.SSCommand1, form.SSCommand2, form.SSCommand3,
                                          form.SSCommand4, form.SSCommand5, form.SSCommand6};
  const QStringList captions{"Display", "Copy", "Edit", "Save", "Insert", "Delete"};
  for (int i = 0; i < 6; ++i) {
    QCOMPARE(buttons[i]->text(), captions[i]);
    QCOMPARE(buttons[i]->isEnabled(), i == 1);
    QCOMPARE(buttons[i]->font().pointSizeF(), 12.0);
    QVERIFY(buttons[i]->font().bold());
  }
  QCOMPARE(form.Label1->font().pointSizeF(), 12.0);
  QCOMPARE(form.Text1->font().pointSizeF(), 11.25);
  QCOMPARE(form.vaSpread1->font().pointSizeF(), 11.25);
  // The Japanese face resolves to its installed stand-in, not a box font.
  QVERIFY(QFontInfo(form.vaSpread1->font()).family().startsWith(QStringLiteral("IPA")));

  QCOMPARE(form.vaSpread1->maxCols(), 3);
  QCOMPARE(form.vaSpread1->maxRows(), 4);
  QCOMPARE(Cell(form, 0, 0), QStringLiteral("Item"));
  QCOMPARE(Cell(form, 2, 0), QStringLiteral("Login"));
  QCOMPARE(Cell(form, 0, 2), QStringLiteral("LoginPassword"));
  QVERIFY(AllMasked(form));
  form.vaSpread1->setRow(-1);
  form.vaSpread1->setCol(-1);
  QVERIFY(form.vaSpread1->lock());
  QVERIFY(form.vaSpread1->protect());
}

void Form1Test::controlsStandAsDesigned_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("container");
  QTest::addColumn<QRect>("twips");
  QTest::newRow("Label1") << "Label1" << "Form1" << QRect(360, 75, 1335, 285);
  QTest::newRow("Text1") << "Text1" << "Form1" << QRect(1860, 30, 1995, 330);
  QTest::newRow("SSPanel1") << "SSPanel1" << "Form1" << QRect(120, 420, 8355, 2595);
  QTest::newRow("vaSpread1") << "vaSpread1" << "SSPanel1" << QRect(120, 120, 8115, 2355);
  QTest::newRow("SSPanel2") << "SSPanel2" << "Form1" << QRect(120, 3090, 8355, 735);
  QTest::newRow("SSCommand1") << "SSCommand1" << "SSPanel2" << QRect(120, 120, 1335, 495);
  QTest::newRow("SSCommand2") << "SSCommand2" << "SSPanel2" << QRect(1470, 120, 1335, 495);
  QTest::newRow("SSCommand3") << "SSCommand3" << "SSPanel2" << QRect(2820, 120, 1335, 495);
  QTest::newRow("SSCommand5") << "SSCommand5" << "SSPanel2" << QRect(4170, 120, 1335, 495);
  QTest::newRow("SSCommand6") << "SSCommand6" << "SSPanel2" << QRect(5520, 120, 1335, 495);
  QTest::newRow("SSCommand4") << "SSCommand4" << "SSPanel2" << QRect(6870, 120, 1335, 495);
}

// The large size is the designed layout.
void Form1Test::controlsStandAsDesigned() {
  QFETCH(QString, name);
  QFETCH(QString, container);
  QFETCH(QRect, twips);
  OPEN_SESSION(session);
  form.FormSize(QStringLiteral("L"));
  auto *widget = form.findChild<QWidget *>(name);
  QVERIFY(widget != nullptr);
  QCOMPARE(widget->parentWidget()->objectName(), container);
  const QRect px = widget->geometry();
  QCOMPARE(QRect(Twips(form, px.x()), Twips(form, px.y()), Twips(form, px.width()), Twips(form, px.height())),
           twips);
}

void Form1Test::formSizes_data() {
  QTest::addColumn<QString>("mode");
  QTest::addColumn<int>("height");
  QTest::addColumn<int>("panelHeight");
  QTest::addColumn<int>("gridHeight");
  QTest::addColumn<int>("barTop");
  QTest::newRow("small") << "S" << 2565 << 1695 << 1455 << 2190;
  QTest::newRow("large") << "L" << 4320 << 2595 << 2355 << 3090;
}

void Form1Test::formSizes() {
  QFETCH(QString, mode);
  QFETCH(int, height);
  QFETCH(int, panelHeight);
  QFETCH(int, gridHeight);
  QFETCH(int, barTop);
  OPEN_SESSION(session);
  form.FormSize(mode == QLatin1String("S") ? QStringLiteral("L") : QStringLiteral("S"));
  form.FormSize(mode);
  CheckSize(form, height);
  QCOMPARE(Twips(form, form.SSPanel1->height()), panelHeight);
  QCOMPARE(Twips(form, form.vaSpread1->height()), gridHeight);
  QCOMPARE(Twips(form, form.SSPanel2->y()), barTop);
  QCOMPARE(Twips(form, form.SSPanel1->y()), 420);
  // Without any frame, as offscreen: the small size still hides the bar.
  QCOMPARE(form.SSPanel2->y() >= form.height(), mode == QLatin1String("S"));
  QVERIFY(session.box.Shown().empty());
}

void Form1Test::formSizeRefusesOtherModes_data() {
  QTest::addColumn<QString>("from");
  QTest::addColumn<QString>("mode");
  QTest::newRow("lower-case s") << "L" << "s";
  QTest::newRow("lower-case l") << "S" << "l";
  QTest::newRow("empty, small") << "S" << "";
  QTest::newRow("empty, large") << "L" << "";
  QTest::newRow("trailing blank") << "S" << "L ";
  QTest::newRow("word") << "S" << "Large";
}

void Form1Test::formSizeRefusesOtherModes() {
  QFETCH(QString, from);
  QFETCH(QString, mode);
  OPEN_SESSION(session);
  form.FormSize(from);
  const QSize outer = form.outerSizeTwips(), client = form.size();
  const QRect panel = form.SSPanel1->geometry(), grid = form.vaSpread1->geometry(), bar = form.SSPanel2->geometry();
  form.FormSize(mode);
  QCOMPARE(session.box.Shown().size(), size_t(1));
  QCOMPARE(session.box.Shown()[0].text, std::string("Program Error!"));
  QCOMPARE(session.box.Shown()[0].caption, std::string("FormSize/Vantry"));
  QCOMPARE(session.box.Shown()[0].style, 16);
  QCOMPARE(form.outerSizeTwips(), outer);
  QCOMPARE(form.size(), client);
  QCOMPARE(form.SSPanel1->geometry(), panel);
  QCOMPARE(form.vaSpread1->geometry(), grid);
  QCOMPARE(form.SSPanel2->geometry(), bar);
}

void Form1Test::phasesClosedOpenedUnlockedRelocked() {
  OPEN_SESSION(session);
  CheckPhase(form, Phase::Closed);
  Type(form, kLogin);
  CheckPhase(form, Phase::Opened);
  QVERIFY(form.Text1->text().isEmpty());
  QVERIFY(AllMasked(form));

  Type(form, kEdit);
  CheckPhase(form, Phase::Unlocked);
  QVERIFY(form.Text1->text().isEmpty());
  QVERIFY(form.SSPanel2->geometry().bottom() < form.height());

  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  CheckPhase(form, Phase::Relocked);
  QCOMPARE(Module1::DisplayLevel, 0);
  QCOMPARE(Module1::SizeToggle, 1);
  QVERIFY(AllMasked(form));

  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  CheckSize(form, 4320);
  QVERIFY(!form.SSCommand1->isEnabled());
  QVERIFY(form.SSCommand2->isEnabled());
  QVERIFY(form.SSPanel1->isVisible());
  QCOMPARE(Module1::SizeToggle, 0);

  // The edit password alone unlocks again.
  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  Type(form, kEdit);
  CheckPhase(form, Phase::Unlocked);
  QCOMPARE(Module1::FailedTries, 0);
  QVERIFY(session.box.Shown().empty());
}

void Form1Test::wrongEntrySequence_data() {
  QTest::addColumn<int>("entries");
  QTest::addColumn<int>("style");  // of the last entry's message, 0 for none
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("lockedOut");
  const QString hint = QStringLiteral("Did you forget the password?\r\nPssword Hint: \r\nblue whale");
  const QString ret = QStringLiteral("Is this Vantry yours ?\r\nPlease return this Vantry to the owner. \r\nmn(_\"_)nm");
  QTest::newRow("1st") << 1 << 0 << "" << false;
  QTest::newRow("2nd") << 2 << 0 << "" << false;
  QTest::newRow("3rd: hint") << 3 << 32 << hint << false;
  QTest::newRow("4th") << 4 << 0 << "" << false;
  QTest::newRow("5th") << 5 << 0 << "" << false;
  QTest::newRow("6th") << 6 << 0 << "" << false;
  QTest::newRow("7th: return") << 7 << 16 << ret << false;
  QTest::newRow("8th: return") << 8 << 16 << ret << false;
  QTest::newRow("9th: return") << 9 << 16 << ret << false;
  QTest::newRow("10th: lock-out") << 10 << 0 << "" << true;
  QTest::newRow("11th: lock-out") << 11 << 0 << "" << true;
  QTest::newRow("12th: lock-out") << 12 << 0 << "" << true;
}

void Form1Test::wrongEntrySequence() {
  QFETCH(int, entries);
  QFETCH(int, style);
  QFETCH(QString, text);
  QFETCH(bool, lockedOut);
  OPEN_SESSION(session);
  for (int i = 1; i < entries; ++i) Enter(form, kWrong);
  session.box.Clear();
  Enter(form, kWrong);
  QCOMPARE(Module1::FailedTries, entries);
  if (style == 0) {
    QVERIFY(session.box.Shown().empty());
  } else {
    QCOMPARE(session.box.Shown().size(), size_t(1));
    QCOMPARE(session.box.Shown()[0].style, style);
    QCOMPARE(QString::fromStdString(session.box.Shown()[0].text), text);
    QCOMPARE(session.box.Shown()[0].caption, std::string("Password Entry"));
  }
  QCOMPARE(form.isEnabled(), !lockedOut);
  QVERIFY(form.isVisible());  // the lock-out disables, it does not end anything
  QCOMPARE(form.Text1->text(), kWrong);
  CheckPhase(form, Phase::Closed);
}

void Form1Test::failedTriesStopsAtItsLargestValue() {
  OPEN_SESSION(session);
  Module1::FailedTries = 32766;
  Enter(form, kWrong);
  Enter(form, kWrong);
  QCOMPARE(Module1::FailedTries, int16_t(32767));
  QVERIFY(!form.isEnabled());
  QVERIFY(session.box.Shown().empty());
}

void Form1Test::editPasswordBeforeLogin() {
  OPEN_SESSION(session);
  Type(form, kEdit);
  QCOMPARE(Module1::FailedTries, 1);
  QCOMPARE(form.Text1->text(), kEdit);
  CheckPhase(form, Phase::Closed);
  Type(form, kLogin);
  CheckPhase(form, Phase::Opened);
  Type(form, kEdit);
  CheckPhase(form, Phase::Unlocked);
  QCOMPARE(Module1::FailedTries, 1);  // a correct password does not reset it
}

void Form1Test::nearMissesAreWrong_data() {
  QTest::addColumn<QString>("typed");
  QTest::newRow("login, letter case") << "Open Sesame";
  QTest::newRow("login, trailing blank") << "open sesame ";
  QTest::newRow("login, leading blank") << " open sesame";
  QTest::newRow("edit, letter case") << "EDIT SESAME";
  QTest::newRow("edit, trailing blank") << "edit sesame ";
}

void Form1Test::nearMissesAreWrong() {
  QFETCH(QString, typed);
  OPEN_SESSION(session);
  Type(form, typed);
  QCOMPARE(Module1::FailedTries, 1);
  CheckPhase(form, Phase::Closed);
  Type(form, kLogin);
  // After login a near miss is neither counted nor answered.
  Type(form, typed);
  QCOMPARE(Module1::FailedTries, 1);
  QCOMPARE(form.Text1->text(), typed);
  CheckPhase(form, Phase::Opened);
  QVERIFY(session.box.Shown().empty());
}

void Form1Test::loginAgainOnlyEmptiesTheBox() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kLogin);
  QVERIFY(form.Text1->text().isEmpty());
  CheckPhase(form, Phase::Opened);
  Type(form, kEdit);
  Type(form, kLogin);
  QVERIFY(form.Text1->text().isEmpty());
  CheckPhase(form, Phase::Unlocked);
  QCOMPARE(Module1::FailedTries, 0);
}

void Form1Test::equalPasswordsNeverUnlock() {
  TableRows rows = kRows;
  rows[1] = {"LoginPassword", "same", "twin", "twin"};
  OPEN_SESSION(session, rows);
  for (int i = 0; i < 3; ++i) {
    Type(form, QStringLiteral("twin"));
    CheckPhase(form, Phase::Opened);
  }
  QCOMPARE(Module1::FailedTries, 0);
}

void Form1Test::itemNameEntryAtLevel2_data() {
  QTest::addColumn<int>("activeRow");
  QTest::addColumn<QString>("typed");
  QTest::newRow("current row") << 2 << "Savings";
  QTest::newRow("login password renames too") << 3 << "open sesame";
  QTest::newRow("no current row: the corner") << 0 << "Account";
}

void Form1Test::itemNameEntryAtLevel2() {
  QFETCH(int, activeRow);
  QFETCH(QString, typed);
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  Module1::DisplayLevel = 2;
  Module1::ActiveRow = activeRow;
  Type(form, typed);
  QCOMPARE(Cell(form, 0, activeRow), typed);
  QCOMPARE(form.Text1->text(), typed);
  // Only the grid changes: the table waits for Save.
  for (size_t r = 0; r < kRows.size(); ++r) QCOMPARE(Module1::VaultTable[r][0], kRows[r][0]);
  CheckPhase(form, Phase::Unlocked);
  QCOMPARE(Module1::FailedTries, 0);
}

void Form1Test::clickIntoBoxEmptiesIt() {
  OPEN_SESSION(session);
  QTest::keyClicks(form.Text1, QStringLiteral("half typed"));
  QTest::mouseClick(form.Text1, Qt::LeftButton);
  QVERIFY(form.Text1->text().isEmpty());
  QCOMPARE(Module1::FailedTries, 0);
}

void Form1Test::typedPasswordCannotBeUndoneIntoView() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  form.SetPasswordChar(QString());
  QTest::keyClick(form.Text1, Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(form.Text1->text().isEmpty());
  // Text typed under "*" and then shown in clear cannot be recalled either.
  form.SetPasswordChar(QStringLiteral("*"));
  QTest::keyClicks(form.Text1, QStringLiteral("secret"));
  form.Text1->setText(QString());
  form.SetPasswordChar(QString());
  QTest::keyClick(form.Text1, Qt::Key_Z, Qt::ControlModifier);
  QVERIFY(form.Text1->text().isEmpty());
}

void Form1Test::label1DoubleClickBeforeLogin() {
  OPEN_SESSION(session);
  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  CheckPhase(form, Phase::Closed);
  QCOMPARE(Module1::SizeToggle, 1);
  QCOMPARE(Module1::DisplayLevel, 0);
  QCOMPARE(form.passwordChar(), QStringLiteral("*"));
  QVERIFY(AllMasked(form));
  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  CheckSize(form, 4320);
  QVERIFY(!form.SSPanel1->isVisible());
  QVERIFY(!form.SSPanel2->isVisible());
  QCOMPARE(Module1::SizeToggle, 0);
  QVERIFY(!(form.windowState() & Qt::WindowMinimized));
  QVERIFY(session.box.Shown().empty());
}

void Form1Test::label1DoubleClickFromClearDisplay() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  QTest::mouseClick(form.SSCommand1, Qt::LeftButton);
  QTest::mouseClick(form.SSCommand1, Qt::LeftButton);
  QCOMPARE(Module1::DisplayLevel, 2);
  QCOMPARE(Cell(form, 2, 1), QStringLiteral("b4nk-pass"));
  QVERIFY(form.SSCommand3->isEnabled());

  QTest::mouseDClick(form.Label1, Qt::LeftButton);
  CheckPhase(form, Phase::Relocked);
  QCOMPARE(Module1::DisplayLevel, 0);
  QCOMPARE(Module1::EditMode, 0);
  QCOMPARE(form.passwordChar(), QStringLiteral("*"));
  QVERIFY(AllMasked(form));
  for (auto *button : {form.SSCommand3, form.SSCommand4, form.SSCommand5, form.SSCommand6})
    QVERIFY(!button->isEnabled());
  QCOMPARE(form.SSCommand1->backColor(), controls::ButtonFace());
}

void Form1Test::keyboardOrderSkipsDisabledButtons() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  form.Text1->setFocus();
  const QWidget *expected[] = {form.SSCommand2, form.SSCommand1, form.vaSpread1, form.Text1};
  for (const QWidget *next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
  }
}

// Only a value the window copied is cleared: a text copied elsewhere is the
// owner's.
void Form1Test::closingEmptiesClipboard() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  QTest::mouseClick(form.vaSpread1->viewport(), Qt::LeftButton, {},
                    form.vaSpread1->visualRect(form.vaSpread1->model()->index(0, 1)).center());
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b4nk-pass"));
  QGuiApplication::clipboard()->setText(QStringLiteral("copied elsewhere"));
  QVERIFY(form.close());
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied elsewhere"));
}

void Form1Test::backgroundClickMinimises() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  // Clicks on the controls stay theirs.
  QTest::mouseClick(form.Label1, Qt::LeftButton);
  QTest::mouseClick(form.SSPanel1, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseClick(form.SSCommand1, Qt::LeftButton);  // disabled
  QVERIFY(!(form.windowState() & Qt::WindowMinimized));
  QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(4, 4));
  QVERIFY(form.windowState() & Qt::WindowMinimized);
}

void Form1Test::showMainWindowMakesOneWindow() {
  TempFolder folder;
  QVERIFY(WriteAndReadArchive(kTitles, kRows));
  ShowMainWindow();
  ShowMainWindow();
  QList<Form1 *> windows;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *f = qobject_cast<Form1 *>(w); f != nullptr && f->isVisible()) windows << f;
  QCOMPARE(windows.size(), 1);
  QVERIFY(windows[0]->close());
}

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
