// The archive window: password row, grid panel and command bar.
#pragma once
#include <QColor>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QProxyStyle;

namespace auto_lock {
class AutoLock;
}

namespace controls {
class SSCommand;
class SSPanel;
class VaSpread;
}  // namespace controls

// Colours the window and its buttons take.
inline constexpr QColor kLightCyan{128, 255, 255};
inline constexpr QColor kCyan{0, 255, 255};

// Runs the double-click on Label1 from the keyboard.
inline constexpr QKeyCombination kRelockKey{Qt::CTRL, Qt::Key_L};

class Form1 : public QWidget {
  Q_OBJECT
 public:
  // Builds the controls and runs the window load.
  explicit Form1(QWidget *parent = nullptr);
  ~Form1() override;

  // The controls, by their designer names.
  QLabel *Label1;
  QLineEdit *Text1;
  controls::SSPanel *SSPanel1;  // grid panel
  controls::VaSpread *vaSpread1;
  controls::SSPanel *SSPanel2;  // command bar
  controls::SSCommand *SSCommand1;  // Display
  controls::SSCommand *SSCommand2;  // Copy
  controls::SSCommand *SSCommand3;  // Edit
  controls::SSCommand *SSCommand4;  // Save
  controls::SSCommand *SSCommand5;  // Insert
  controls::SSCommand *SSCommand6;  // Delete

  // "S" small, "L" large; anything else is refused with a message.
  void FormSize(const QString &mode);
  // The outer size last set, in twips. The client area is sized to it less
  // the frame the window was designed with, whatever frame the desktop draws.
  QSize outerSizeTwips() const { return outerTwips_; }

  // Text1's password character: "*" masks what is typed, "" shows it.
  void SetPasswordChar(const QString &passwordChar);
  QString passwordChar() const;

  // The stored text of the current cell (ActiveRow, ActiveColumn) onto the
  // clipboard, whether the grid shows it or not.
  void CopyCellToClipboard();
  // In edit mode, Text1 shows the item name of the grid's active row.
  void ShowItemName();

  // Save, and what the grid then holds counts as saved; false when nothing
  // was written.
  bool SaveChanges();
  // Whether the grid differs from what was last loaded, shown or saved
  // (while locked: the grid as it was kept).
  bool HasUnsavedChanges();
  // Asks the close question when unsaved changes would be lost; false when
  // the owner cancelled or the save failed, so the end must not go on.
  bool ConfirmEnd();

  // Locks the open vault: every box of ours closed as by Cancel, our
  // clipboard copy cleared, and the window as a start shows it, while the
  // whole state is kept in memory. The login password then shows the grid
  // masked, the edit password brings everything back as it was.
  void LockVault();
  bool locked() const { return kept_ != nullptr; }
  // When the window locks itself: idle, screen lock, sleep.
  auto_lock::AutoLock *autoLock() const { return autoLock_; }

 public slots:
  void Form_Load();
  void Form_Unload();
  void Form_Click();
  void Label1_DblClick();
  void Text1_Click();
  void Text1_KeyPress(int &keyAscii);
  void SSCommand1_Click();  // Display
  void SSCommand2_Click();  // Copy
  void SSCommand3_Click();  // Edit
  void SSCommand4_Click();  // Save
  void SSCommand5_Click();  // Insert
  void SSCommand6_Click();  // Delete
  void vaSpread1_CellPicked(int col, int row);
  void vaSpread1_CellActivated(int col, int row);
  void vaSpread1_CursorMoved(int col, int row);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void moveEvent(QMoveEvent *event) override;

 private:
  void ApplyClientSize();
  struct KeptState;
  void FinishLock();
  void KeepState();
  void BlankWindow();
  void ShowKeptMasked();
  void RestoreKept();
  bool SaveKept();

  QProxyStyle *starStyle_;
  QSize outerTwips_;
  QStringList savedContents_;  // the grid as last filled or saved
  auto_lock::AutoLock *autoLock_;
  std::unique_ptr<KeptState> kept_;  // while locked: all the window held
};

// Creates the one main window if need be and shows it, modeless.
void ShowMainWindow();
