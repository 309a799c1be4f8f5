#include "mainwindow/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QScrollBar>
#include <QSessionManager>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <vector>

#include "controls/Accessibility.h"
#include "controls/Colours.h"
#include "controls/Fonts.h"
#include "controls/SecretEdit.h"
#include "controls/ThreeD.h"
#include "controls/Twips.h"
#include "controls/VaSpread.h"
#include "mainwindow/AutoLock.h"
#include "mainwindow/GridProcedures.h"
#include "mainwindow/GridRules.h"
#include "mainwindow/PasswordEntry.h"
#include "runtime/Clipboard.h"
#include "runtime/MessageBox.h"
#include "runtime/ScreenLockWatch.h"
#include "store/Module1.h"
#include "store/Vault.h"

using controls::SSCommand;

namespace {

constexpr int kOuterWidth = 8670;
// The frame the window was designed with: borders and title bar, in twips.
constexpr int kFrameWidth = 90;
constexpr int kFrameHeight = 375;
constexpr int kKeyEnter = 13;

// The password box echoes "*", whatever the desktop style would draw.
class StarStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

// Everything the window held when it locked, so that nothing is lost.
struct Form1::KeptState {
  int rows = 0, cols = 0;
  std::vector<QStringList> cells;  // rows 0..rows of columns 0..cols, headers included
  bool editorOpen = false;
  int editorCol = 0, editorRow = 0;
  QString editorText;
  int16_t displayLevel = 0, editMode = 0, sizeToggle = 0, failedTries = 0;
  int32_t activeRow = 0, activeColumn = 0;
  int cursorCol = 1, cursorRow = 1;
  int hScroll = 0, vScroll = 0;
  QString label, text, passwordChar;
  struct Button {
    bool enabled;
    QColor colour;
  };
  std::vector<Button> buttons;
  QString size;
  QStringList contents;  // GridContents as it was
  QPointer<QWidget> focus;
};

Form1::Form1(QWidget *parent)
    : QWidget(parent), starStyle_(new StarStyle), autoLock_(new auto_lock::AutoLock(this)) {
  using controls::PlaceInTwips;
  using controls::SSPanel;
  using controls::UiFont;
  setObjectName(QStringLiteral("Form1"));
  controls::SetAccessibleRole(this, QAccessible::Window);
  setWindowTitle(QStringLiteral(" Vantry"));
  starStyle_->setParent(this);
  // Light cyan with dark text, whatever colours the desktop uses.
  setPalette(controls::FixedPalette(kLightCyan));
  setAutoFillBackground(true);

  Label1 = new QLabel(QStringLiteral("Password"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(UiFont(12));
  Label1->setTextFormat(Qt::PlainText);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PlaceInTwips(Label1, 360, 75, 1335, 285);

  Text1 = new QLineEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setFont(UiFont(11.25));
  Text1->setStyle(starStyle_);
  Text1->setContextMenuPolicy(Qt::NoContextMenu);
  controls::GuardSecretEdit(Text1);  // before the window's own filter below
  PlaceInTwips(Text1, 1860, 30, 1995, 330);
  SetPasswordChar(QStringLiteral("*"));
  Label1->setBuddy(Text1);  // the box is named by its label, whatever it reads

  SSPanel1 = new SSPanel(this);
  SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
  PlaceInTwips(SSPanel1, 120, 420, 8355, 2595);
  SSPanel1->hide();

  vaSpread1 = new controls::VaSpread(SSPanel1);
  vaSpread1->setObjectName(QStringLiteral("vaSpread1"));
  vaSpread1->setFont(UiFont(11.25));
  PlaceInTwips(vaSpread1, 120, 120, 8115, 2355);

  SSPanel2 = new SSPanel(this);
  SSPanel2->setObjectName(QStringLiteral("SSPanel2"));
  PlaceInTwips(SSPanel2, 120, 3090, 8355, 735);
  SSPanel2->hide();

  struct Button {
    SSCommand *&button;
    const char *name;
    const char *caption;
    int left;
    bool enabled;
    void (Form1::*handler)();
  };
  const Button buttons[] = {
      {SSCommand1, "SSCommand1", "Display", 120, false, &Form1::SSCommand1_Click},
      {SSCommand2, "SSCommand2", "Copy", 1470, true, &Form1::SSCommand2_Click},
      {SSCommand3, "SSCommand3", "Edit", 2820, false, &Form1::SSCommand3_Click},
      {SSCommand5, "SSCommand5", "Insert", 4170, false, &Form1::SSCommand5_Click},
      {SSCommand6, "SSCommand6", "Delete", 5520, false, &Form1::SSCommand6_Click},
      {SSCommand4, "SSCommand4", "Save", 6870, false, &Form1::SSCommand4_Click},
  };
  for (const Button &b : buttons) {
    b.button = new SSCommand(QString::fromLatin1(b.caption), SSPanel2);
    b.button->setObjectName(QString::fromLatin1(b.name));
    b.button->setFont(UiFont(12, true));
    PlaceInTwips(b.button, b.left, 120, 1335, 495);
    b.button->setEnabled(b.enabled);
    connect(b.button, &QAbstractButton::clicked, this, b.handler);
  }

  connect(vaSpread1, &controls::VaSpread::cellPicked, this, &Form1::vaSpread1_CellPicked);
  connect(vaSpread1, &controls::VaSpread::cellActivated, this, &Form1::vaSpread1_CellActivated);
  connect(vaSpread1, &controls::VaSpread::cursorMoved, this, &Form1::vaSpread1_CursorMoved);

  // Keyboard order as designed: grid, password box, then the command bar.
  QWidget *order[] = {vaSpread1, Text1, SSCommand2, SSCommand4, SSCommand3, SSCommand1, SSCommand5, SSCommand6};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  // Clicks on the label and the panels are theirs, not the window's.
  for (QWidget *w : {static_cast<QWidget *>(Label1), static_cast<QWidget *>(SSPanel1),
                     static_cast<QWidget *>(SSPanel2)})
    w->setAttribute(Qt::WA_NoMousePropagation);
  Label1->installEventFilter(this);
  Text1->installEventFilter(this);

  // The label's double-click (relock, then enlarge again) from the keyboard.
  auto *relock = new QShortcut(kRelockKey, this);
  relock->setObjectName(QStringLiteral("Label1Shortcut"));
  connect(relock, &QShortcut::activated, this, &Form1::Label1_DblClick);

  // Locking: idle, the screen locking, the machine going to sleep.
  connect(autoLock_, &auto_lock::AutoLock::lockNow, this, &Form1::LockVault);
  autoLock_->WatchInput();
  auto *watch = new runtime::ScreenLockWatch(this);
  connect(watch, &runtime::ScreenLockWatch::locking, autoLock_, &auto_lock::AutoLock::Request);

  // A logout that lets us ask: unsaved changes get the close question first.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
    if (!HasUnsavedChanges() || !manager.allowsInteraction()) return;
    if (!ConfirmEnd()) manager.cancel();
    manager.release();
  });

  Form_Load();
}

Form1::~Form1() = default;

void Form1::FormSize(const QString &mode) {
  int outerHeight, panelHeight, gridHeight, barTop;
  if (mode == QLatin1String("S")) {
    outerHeight = 2565, panelHeight = 1695, gridHeight = 1455, barTop = 2190;
  } else if (mode == QLatin1String("L")) {
    outerHeight = 4320, panelHeight = 2595, gridHeight = 2355, barTop = 3090;
  } else {
    runtime::MsgBox("Program Error!", runtime::kStyleCritical, "FormSize/Vantry");
    return;
  }
  outerTwips_ = QSize(kOuterWidth, outerHeight);
  ApplyClientSize();
  controls::PlaceInTwips(SSPanel1, 120, 420, 8355, panelHeight);
  controls::PlaceInTwips(vaSpread1, 120, 120, 8115, gridHeight);
  controls::PlaceInTwips(SSPanel2, 120, barTop, 8355, 735);
}

// The sizes are outer sizes for a frame of the designed width and title bar.
// Sizing the client area from them, not from the frame the desktop happens
// to draw, keeps the small window's client area ending exactly at the
// command bar's top: the bar is out of sight on a thin frame or none at all.
void Form1::ApplyClientSize() {
  if (outerTwips_.isEmpty()) return;
  const qreal dpi = controls::ScreenDpi(this);
  const QSize client(controls::TwipsToPixels(outerTwips_.width() - kFrameWidth, dpi),
                     controls::TwipsToPixels(outerTwips_.height() - kFrameHeight, dpi));
  if (size() != client || minimumSize() != client || maximumSize() != client) setFixedSize(client);
}

void Form1::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  // The screen, and so its dpi, is known for certain once the window is mapped.
  QTimer::singleShot(0, this, &Form1::ApplyClientSize);
}

// A move may take the window to a screen of another dpi.
void Form1::moveEvent(QMoveEvent *event) {
  QWidget::moveEvent(event);
  ApplyClientSize();
}

void Form1::SetPasswordChar(const QString &passwordChar) {
  Text1->setEchoMode(passwordChar.isEmpty() ? QLineEdit::Normal : QLineEdit::Password);
  // Setting the text anew drops the undo history, so nothing typed under the
  // other echo can be brought back into view.
  Text1->setText(Text1->text());
}

QString Form1::passwordChar() const {
  return Text1->echoMode() == QLineEdit::Normal ? QString() : QStringLiteral("*");
}

void Form1::Form_Load() {
  using namespace Module1;
  setWindowTitle(QStringLiteral("   ") + windowTitle() + QString(31, QLatin1Char(' ')) +
                 QStringLiteral("Ver 1.40        Dec. 26 '10"));
  FormSize(QStringLiteral("S"));
  FailedTries = DisplayLevel = EditMode = SizeToggle = 0;
  LoadCredentials();
  vaSpread1->setMaxCols(ColumnCount);
  vaSpread1->setMaxRows(RowCount);
  FillGrid(*vaSpread1);
  savedContents_ = GridContents(*vaSpread1);
  vaSpread1->setRow(-1);
  vaSpread1->setCol(-1);
  vaSpread1->setProtect(true);
  vaSpread1->setLock(true);
  Text1->setFocus();
}

// A copied value must not outlive the window; what the owner copied
// elsewhere since is not ours to clear.
void Form1::Form_Unload() {
  runtime::ClearClipboardIfOurs();
  runtime::ClearSelectionIfOurs();
}

void Form1::Form_Click() { setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized); }

void Form1::Label1_DblClick() {
  using namespace Module1;
  if (locked()) return;  // it would refill the grid from the table
  if (SizeToggle == 0) {
    FormSize(QStringLiteral("S"));
    SizeToggle = 1;
    SSCommand1->setEnabled(false);
    DisplayLevel = 2;  // so that Display masks everything again
    SSCommand1_Click();
  } else {
    FormSize(QStringLiteral("L"));
    SizeToggle = 0;
  }
}

// Every click starts a fresh entry.
void Form1::Text1_Click() { Text1->setText(QString()); }

void Form1::Text1_KeyPress(int &keyAscii) {
  using namespace Module1;
  using password_entry::Reply;
  using password_entry::Rule;
  if (keyAscii != kKeyEnter) return;
  const QString typed = Text1->text();
  const password_entry::WindowState state{!SSPanel1->isHidden(), !SSPanel2->isHidden(), DisplayLevel};
  switch (password_entry::Decide(typed.toStdString(), state, LoginPasswordText, EditPasswordText)) {
    case Rule::ItemName:
      vaSpread1->SetText(0, ActiveRow, ToCellText(typed));
      return;
    case Rule::Login:
      Text1->setText(QString());
      if (locked()) ShowKeptMasked();
      SSPanel1->setVisible(true);
      SSPanel2->setVisible(true);
      autoLock_->Arm();
      return;
    case Rule::Unlock:
      Text1->setText(QString());
      if (locked()) {
        RestoreKept();
        return;
      }
      FormSize(QStringLiteral("L"));
      SSCommand1->setEnabled(true);
      return;
    case Rule::WrongBeforeLogin:
      switch (password_entry::CountWrongEntry(FailedTries)) {
        case Reply::LockOut:
          setEnabled(false);
          return;
        case Reply::ReturnRequest:
          runtime::MsgBox(password_entry::ReturnMessage(), runtime::kStyleCritical, password_entry::kCaption);
          return;
        case Reply::Hint:
          runtime::MsgBox(password_entry::HintMessage(HintText), runtime::kStyleQuestion,
                          password_entry::kCaption);
          return;
        case Reply::None:
          return;
      }
      return;
    case Rule::WrongAfterLogin:
      return;
  }
}

// Display: steps the level 0 -> 1 -> 2 -> 0 and refills the grid from the
// table, so anything not saved is dropped.
void Form1::SSCommand1_Click() {
  using namespace Module1;
  Text1->setText(QString());
  if (DisplayLevel == 0) {
    SSCommand1->setBackColor(kLightCyan);
    DisplayLevel = 1;
    SetPasswordChar(QString());
    SSCommand3->setEnabled(false);
    SSCommand4->setEnabled(false);
  } else if (DisplayLevel == 1) {
    EditMode = 1;  // so that Edit always ends edit mode
    SSCommand3_Click();
    SSCommand1->setBackColor(kCyan);
    DisplayLevel = 2;
    SetPasswordChar(QStringLiteral("*"));
    SSCommand3->setEnabled(true);
    SSCommand4->setEnabled(true);
  } else {
    EditMode = 1;
    SSCommand3_Click();
    SSCommand1->setBackColor(controls::ButtonFace());
    DisplayLevel = 0;
    // Masked again: nothing of the vault stays behind on the desktop.
    runtime::ClearClipboardIfOurs();
    runtime::ClearSelectionIfOurs();
    SetPasswordChar(QStringLiteral("*"));
    SSCommand3->setEnabled(false);
    SSCommand4->setEnabled(false);
    SSCommand5->setEnabled(false);
    SSCommand6->setEnabled(false);
  }
  vaSpread1->setMaxCols(ColumnCount);
  vaSpread1->setMaxRows(RowCount);
  FillGrid(*vaSpread1);
  savedContents_ = GridContents(*vaSpread1);
}

// Copy: the current cell's stored text, masked or not.
void Form1::SSCommand2_Click() {
  if (locked()) return;  // the grid shown does not match the table's rows
  Module1::ActiveRow = vaSpread1->activeRow();
  Module1::ActiveColumn = vaSpread1->activeCol();
  CopyCellToClipboard();
}

void Form1::CopyCellToClipboard() {
  using namespace Module1;
  // Only rows the table holds; the clipboard keeps what it had otherwise.
  if (ActiveRow < 1 || ActiveRow > RowCount || ActiveRow > kTableRows) return;
  if (ActiveColumn < 0 || ActiveColumn >= kTableFields) return;
  runtime::SetClipboardSecret(VaultTable[ActiveRow - 1][ActiveColumn]);
}

// Edit: switches edit mode; in it every cell can be typed into and Text1
// renames the current row.
void Form1::SSCommand3_Click() {
  using namespace Module1;
  vaSpread1->setRow(-1);
  vaSpread1->setCol(-1);
  if (EditMode == 0) {
    EditMode = 1;
    SSCommand3->setBackColor(kLightCyan);
    vaSpread1->setLock(false);
    Label1->setText(QStringLiteral("Item Name"));
    SetPasswordChar(QString());
    ShowItemName();
  } else {
    EditMode = 0;
    SSCommand3->setBackColor(controls::ButtonFace());
    vaSpread1->setLock(true);
    Label1->setText(QStringLiteral("Password"));
    Text1->setText(QString());
    SetPasswordChar(QStringLiteral("*"));
  }
}

void Form1::ShowItemName() {
  if (Label1->text() != QLatin1String("Item Name")) return;
  QString name;
  vaSpread1->GetText(0, static_cast<int16_t>(vaSpread1->activeRow()), name);  // empty when none
  Text1->setText(name);
}

// Save: the grid back into the table, then the archive.
void Form1::SSCommand4_Click() { SaveChanges(); }

bool Form1::SaveChanges() {
  if (locked()) return SaveKept();
  if (!SaveGrid(*vaSpread1)) return false;
  savedContents_ = GridContents(*vaSpread1);
  return true;
}

bool Form1::HasUnsavedChanges() {
  if (locked()) {
    const KeptState &k = *kept_;
    return k.contents != savedContents_ ||
           (k.editorOpen && k.editorText != k.cells[k.editorRow][k.editorCol]);
  }
  return GridContents(*vaSpread1) != savedContents_;
}

// The grid's own row count governs Insert and Delete: after the
// cell-activate event the two differ, and sizing the grid from RowCount would
// cut rows off. RowCount stays the number of rows in the archive, so a pick
// or Copy never reaches a table row the archive does not hold.
void Form1::SSCommand5_Click() {
  using namespace Module1;
  const int rows = vaSpread1->maxRows();
  const auto r = static_cast<int16_t>(vaSpread1->activeRow());
  if (!grid_rules::CanInsert(r, rows)) return;
  vaSpread1->setMaxRows(rows + 1);
  vaSpread1->setRow(r);
  vaSpread1->setAction(controls::VaSpread::kActionInsertRow);
  vaSpread1->SetText(0, r, QStringLiteral("New") + QString::number(r));
  for (int c = 1; c <= ColumnCount; ++c) vaSpread1->SetText(c, r, QString());
}

void Form1::SSCommand6_Click() {
  using namespace Module1;
  const int rows = vaSpread1->maxRows();
  const int r = vaSpread1->activeRow();
  if (!grid_rules::CanDelete(r, rows)) return;
  vaSpread1->setRow(r);
  vaSpread1->setAction(controls::VaSpread::kActionDeleteRow);
  vaSpread1->setMaxRows(rows - 1);
}

// A click, Space or Enter on a cell: at level 0 the owner means to copy it.
void Form1::vaSpread1_CellPicked(int col, int row) {
  using namespace Module1;
  if (locked()) return;  // ActiveRow and ActiveColumn come back with the rest
  vaSpread1_CursorMoved(col, row);
  if (col != 0 && DisplayLevel == 0 && vaSpread1->lock()) CopyCellToClipboard();
}

// The current cell follows the cursor, also as the keys walk the grid, but
// walking copies nothing: every masked value passed would reach the
// clipboard's history.
void Form1::vaSpread1_CursorMoved(int col, int row) {
  using namespace Module1;
  if (locked()) return;
  ActiveRow = row;
  ActiveColumn = col;
  if (col == 0) {
    if (DisplayLevel == 2) {
      // Only a row of the grid can take a row before it or go.
      const bool onRow = grid_rules::IsRowHeader(col, row, vaSpread1->maxRows());
      SSCommand5->setEnabled(onRow);
      SSCommand6->setEnabled(onRow);
    }
    return;
  }
  SSCommand5->setEnabled(false);
  SSCommand6->setEnabled(false);
  ShowItemName();
}

// In edit mode, on a row header: a named row gets a blank row above it, an
// unnamed row goes. RowCount waits for Save.
void Form1::vaSpread1_CellActivated(int col, int row) {
  using namespace Module1;
  if (locked()) return;
  ActiveRow = row;
  ActiveColumn = col;
  if (col != 0 || EditMode != 1) return;
  const int rows = vaSpread1->maxRows();
  int32_t nameRow = row, nameCol = 0;
  const bool named = !GetCellText(*vaSpread1, nameRow, nameCol).isEmpty();
  // The corner and the column titles stay where they are.
  if (named ? !grid_rules::CanOpenRow(row, rows) : !grid_rules::CanRemoveRow(row, rows)) return;
  vaSpread1->setRow(row);
  if (named) {
    vaSpread1->setMaxRows(rows + 1);
    vaSpread1->setAction(controls::VaSpread::kActionInsertRow);
    ClearRows(*vaSpread1, row, 1);
  } else {
    vaSpread1->setAction(controls::VaSpread::kActionDeleteRow);
    vaSpread1->setMaxRows(rows - 1);
  }
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
  if (watched == Label1 && event->type() == QEvent::MouseButtonDblClick) {
    Label1_DblClick();
    return true;
  }
  if (watched == Text1) {
    if (event->type() == QEvent::MouseButtonRelease) {
      auto *mouse = static_cast<QMouseEvent *>(event);
      if (mouse->button() == Qt::LeftButton && Text1->rect().contains(mouse->position().toPoint()))
        Text1_Click();
    } else if (event->type() == QEvent::KeyPress) {
      auto *key = static_cast<QKeyEvent *>(event);
      int code = key->text().isEmpty() ? 0 : key->text().at(0).unicode();
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) code = kKeyEnter;
      // The key goes on to the box as typed, whatever the handler did.
      Text1_KeyPress(code);
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Reached only by clicks on the window itself: the controls keep theirs.
void Form1::mouseReleaseEvent(QMouseEvent *event) {
  QWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Form_Click();
}

// Changes the owner made in the grid are not lost without a word.
void Form1::closeEvent(QCloseEvent *event) {
  if (!ConfirmEnd()) {
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

bool Form1::ConfirmEnd() {
  if (!HasUnsavedChanges()) return true;
  const int answer =
      runtime::MsgBox(grid_rules::kUnsavedQuestion, runtime::kStyleSaveDiscardCancel, grid_rules::kSaveCaption);
  if (answer == runtime::kAnswerCancel) return false;
  return answer != runtime::kAnswerSave || SaveChanges();
}

// A question open now is closed as by Cancel; its caller unwinds before the
// window changes under it, so nothing is written or answered for the owner.
void Form1::LockVault() {
  runtime::ClearClipboardIfOurs();
  runtime::ClearSelectionIfOurs();
  runtime::CloseMessageBoxes();
  FinishLock();
}

// Waits until no caller is inside a box of ours: a timer fires only once
// the handler that showed the box has run to its end.
void Form1::FinishLock() {
  if (runtime::MessageBoxOpen()) {
    runtime::CloseMessageBoxes();  // a caller may have shown another one
    QTimer::singleShot(0, this, &Form1::FinishLock);
    return;
  }
  if (!locked()) KeepState();
  BlankWindow();
}

void Form1::KeepState() {
  using namespace Module1;
  auto k = std::make_unique<KeptState>();
  k->editorOpen = vaSpread1->OpenEditor(k->editorCol, k->editorRow, k->editorText);
  k->rows = vaSpread1->maxRows();
  k->cols = vaSpread1->maxCols();
  for (int r = 0; r <= k->rows; ++r) {
    QStringList row;
    for (int c = 0; c <= k->cols; ++c) {
      QString text;
      vaSpread1->GetText(c, r, text);
      row << text;
    }
    k->cells.push_back(row);
  }
  k->contents = GridContents(*vaSpread1);
  k->displayLevel = DisplayLevel;
  k->editMode = EditMode;
  k->sizeToggle = SizeToggle;
  k->failedTries = FailedTries;
  k->activeRow = ActiveRow;
  k->activeColumn = ActiveColumn;
  k->cursorCol = vaSpread1->activeCol();
  k->cursorRow = vaSpread1->activeRow();
  k->hScroll = vaSpread1->horizontalScrollBar()->value();
  k->vScroll = vaSpread1->verticalScrollBar()->value();
  k->label = Label1->text();
  k->text = Text1->text();
  k->passwordChar = passwordChar();
  for (SSCommand *b : {SSCommand1, SSCommand2, SSCommand3, SSCommand4, SSCommand5, SSCommand6})
    k->buttons.push_back({b->isEnabled(), b->backColor()});
  k->size = outerTwips_.height() == 4320 ? QStringLiteral("L") : QStringLiteral("S");
  k->focus = k->editorOpen ? static_cast<QWidget *>(vaSpread1) : QApplication::focusWidget();
  kept_ = std::move(k);
}

// As a start shows it: small, only "Password" and its box; the grid empty,
// not only hidden, so that no value, name or title is on screen or in the
// accessibility tree.
void Form1::BlankWindow() {
  using namespace Module1;
  autoLock_->Disarm();
  vaSpread1->DropEditor();
  SSPanel1->hide();
  SSPanel2->hide();
  vaSpread1->SetText(0, 0, QString());
  vaSpread1->setMaxRows(0);
  vaSpread1->setMaxCols(0);
  vaSpread1->setRow(-1);
  vaSpread1->setCol(-1);
  vaSpread1->setProtect(true);
  vaSpread1->setLock(true);
  Label1->setText(QStringLiteral("Password"));
  Text1->setText(QString());
  SetPasswordChar(QStringLiteral("*"));
  SSCommand1->setEnabled(false);
  SSCommand1->setBackColor(controls::ButtonFace());
  SSCommand2->setEnabled(true);
  for (SSCommand *b : {SSCommand3, SSCommand4, SSCommand5, SSCommand6}) {
    b->setEnabled(false);
    b->setBackColor(controls::ButtonFace());
  }
  DisplayLevel = EditMode = SizeToggle = FailedTries = 0;
  ActiveRow = ActiveColumn = 0;
  FormSize(QStringLiteral("S"));
  Text1->setFocus();
}

// After the login password: the kept grid as a start shows it, the item
// names as they stand, every value masked, nothing editable.
void Form1::ShowKeptMasked() {
  const KeptState &k = *kept_;
  vaSpread1->setMaxCols(k.cols);
  vaSpread1->setMaxRows(k.rows);
  for (int r = 0; r <= k.rows; ++r) {
    // As a fill does: a row that holds nothing stays empty.
    const bool empty = std::all_of(k.cells[r].begin(), k.cells[r].end(), [](const QString &t) { return t.isEmpty(); });
    for (int c = 0; c <= k.cols; ++c)
      vaSpread1->SetText(c, r, r == 0 || c == 0 || empty ? k.cells[r][c] : QString::fromLatin1(kMask));
  }
  vaSpread1->setRow(-1);
  vaSpread1->setCol(-1);
  vaSpread1->setLock(true);
}

// After the edit password: exactly as it was when the lock came.
void Form1::RestoreKept() {
  using namespace Module1;
  const std::unique_ptr<KeptState> k = std::move(kept_);
  DisplayLevel = k->displayLevel;
  EditMode = k->editMode;
  SizeToggle = k->sizeToggle;
  FailedTries = k->failedTries;
  ActiveRow = k->activeRow;
  ActiveColumn = k->activeColumn;
  vaSpread1->setMaxCols(k->cols);
  vaSpread1->setMaxRows(k->rows);
  for (int r = 0; r <= k->rows; ++r)
    for (int c = 0; c <= k->cols; ++c) vaSpread1->SetText(c, r, k->cells[r][c]);
  vaSpread1->setRow(-1);
  vaSpread1->setCol(-1);
  vaSpread1->setLock(EditMode == 0);
  FormSize(k->size);
  SSPanel1->setVisible(true);
  SSPanel2->setVisible(true);
  Label1->setText(k->label);
  SetPasswordChar(k->passwordChar);
  Text1->setText(k->text);
  SSCommand *buttons[] = {SSCommand1, SSCommand2, SSCommand3, SSCommand4, SSCommand5, SSCommand6};
  for (size_t i = 0; i < std::size(buttons); ++i) {
    buttons[i]->setEnabled(k->buttons[i].enabled);
    buttons[i]->setBackColor(k->buttons[i].colour);
  }
  vaSpread1->PlaceCursor(k->cursorCol, k->cursorRow);
  vaSpread1->horizontalScrollBar()->setValue(k->hScroll);
  vaSpread1->verticalScrollBar()->setValue(k->vScroll);
  if (k->editorOpen) vaSpread1->EditCell(k->editorCol, k->editorRow, k->editorText);
  else if (k->focus != nullptr) k->focus->setFocus();
  autoLock_->Arm();
}

// Save from the close question while locked: the kept grid, in a sheet that
// is never shown, as Save would write it from the window.
bool Form1::SaveKept() {
  using namespace Module1;
  KeptState &k = *kept_;
  controls::VaSpread sheet;
  sheet.setMaxCols(k.cols);
  sheet.setMaxRows(k.rows);
  for (int r = 0; r <= k.rows; ++r)
    for (int c = 0; c <= k.cols; ++c) sheet.SetText(c, r, k.cells[r][c]);
  if (k.editorOpen) sheet.SetText(k.editorCol, k.editorRow, k.editorText);
  const int16_t level = DisplayLevel;
  DisplayLevel = k.displayLevel;
  const bool saved = SaveGrid(sheet);
  DisplayLevel = level;
  if (!saved) return false;
  savedContents_ = GridContents(sheet);
  k.contents = savedContents_;
  k.editorOpen = false;
  k.rows = sheet.maxRows();
  k.cells.resize(k.rows + 1);
  for (int r = 0; r <= k.rows; ++r)
    for (int c = 0; c <= k.cols; ++c) sheet.GetText(c, r, k.cells[r][c]);
  return true;
}

void ShowMainWindow() {
  static QPointer<Form1> form;
  if (form == nullptr) {
    form = new Form1;
    form->setAttribute(Qt::WA_DeleteOnClose);
  }
  form->show();
}
