// The dialog that sets up a new vault when the program finds no archive.
#pragma once
#include <QDialog>
#include <array>
#include <string>

#include "controls/ThreeD.h"

class QLabel;
class QLineEdit;

class Form2 : public QDialog {
  Q_OBJECT
 public:
  explicit Form2(QWidget *parent = nullptr);

  // Keeps the column field within 3 to 7 and shows the title fields of that
  // many columns; the window grows or shrinks by one frame per column.
  void ApplyColumnCount();

  // A refusal of "Save": first line, line break, second line.
  void ShowSaveError(const std::string &first, const std::string &second);

  // The window's outer height, title bar and borders included, as measured.
  int OuterHeightTwips() const;

  // 0 rows, 1 columns, 2 login password, 3 edit password, 4 hint word,
  // 5 to 11 the titles of columns 1 to 7, 12 never shown.
  std::array<QLineEdit *, 13> Text1{};
  std::array<QLabel *, 12> Label1{};
  std::array<controls::SSFrame *, 11> SSFrame1{};
  controls::SSPanel *SSPanel2 = nullptr;
  controls::SSCommand *SSCommand1 = nullptr;  // "Save"
  controls::SSCommand *SSCommand2 = nullptr;  // "Close"

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  bool event(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

 private:
  void Text1_KeyPress(int index, int keyAscii);
  void SSCommand1_Click();
  void SSCommand2_Click();
  // True when no archive is in the way or the owner lets it become a backup.
  bool ConfirmReplacingArchive();

  void ConfirmCountField(int index);
  void FitOuterHeight();

  int outerHeightTwips_ = 0;
  int fittedFrameExtra_ = -1;
};

// Shows the dialog modal; returns when it has closed.
void RunCreateDialog();
