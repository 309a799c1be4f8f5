// The main window on an archive in a fresh program folder, and ways to work
// it as the user does.
#pragma once
#include <QTest>
#include <memory>

#include "controls/VaSpread.h"
#include "mainwindow/Form1.h"
#include "tests/mainwindow/Archive.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

inline const QString kLogin = QStringLiteral("open sesame");
inline const QString kEdit = QStringLiteral("edit sesame");
inline const QString kWrong = QStringLiteral("guess");

// A program folder with an archive, read as at start-up, and the window on it.
struct Session {
  explicit Session(const TableRows &rows = kRows) {
    archiveRead = WriteAndReadArchive(kTitles, rows);
    form = std::make_unique<Form1>();
    form->show();
    form->activateWindow();  // an X display without a window manager gives no focus by itself
    shown = QTest::qWaitForWindowActive(form.get());
  }
  TempFolder folder;
  ScriptedMessageBox box;
  bool archiveRead = false;
  bool shown = false;
  std::unique_ptr<Form1> form;
};

#define OPEN_SESSION(name, ...) \
  Session name{__VA_ARGS__};    \
  QVERIFY(name.archiveRead);    \
  QVERIFY(name.shown);          \
  Form1 &form = *name.form

// Enter through the handler itself, as the box would pass it.
inline void Enter(Form1 &form, const QString &text) {
  form.Text1->setText(text);
  int key = 13;
  form.Text1_KeyPress(key);
}

// Enter with real keys into the box.
inline void Type(Form1 &form, const QString &text) {
  form.Text1->setText(QString());
  QTest::keyClicks(form.Text1, text);
  QTest::keyClick(form.Text1, Qt::Key_Return);
}

inline QString Cell(const Form1 &form, int col, int row) {
  QString value;
  form.vaSpread1->GetText(col, row, value);
  return value;
}

inline bool AllMasked(const Form1 &form) {
  for (int r = 1; r <= form.vaSpread1->maxRows(); ++r)
    for (int c = 1; c <= form.vaSpread1->maxCols(); ++c)
      if (Cell(form, c, r) != QStringLiteral("********")) return false;
  return true;
}
