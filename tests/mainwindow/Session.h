// The main window on an archive in a fresh program folder, and ways to work
// it as the user does.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
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

// A single (pick) or double (activate) click on a grid cell, a row header
// (col 0), a column header (row 0) or the corner.
inline void MouseOn(Form1 &form, int col, int row, bool activate) {
  controls::VaSpread *grid = form.vaSpread1;
  auto click = [activate](QWidget *w, QPoint pos) {
    if (activate)
      QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
    else
      QTest::mouseClick(w, Qt::LeftButton, {}, pos);
  };
  if (col == 0 && row == 0) {
    auto *corner = grid->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(corner != nullptr);
    click(corner, corner->rect().center());
    return;
  }
  if (row > 0) grid->scrollTo(grid->model()->index(row - 1, std::max(col, 1) - 1));
  if (col == 0) {
    QHeaderView *h = grid->verticalHeader();
    click(h->viewport(), QPoint(4, h->sectionViewportPosition(row - 1) + h->sectionSize(row - 1) / 2));
  } else if (row == 0) {
    QHeaderView *h = grid->horizontalHeader();
    click(h->viewport(), QPoint(h->sectionViewportPosition(col - 1) + h->sectionSize(col - 1) / 2, 4));
  } else {
    click(grid->viewport(), grid->visualRect(grid->model()->index(row - 1, col - 1)).center());
  }
}

// Types text over what an unlocked cell holds; with finish, Enter ends the
// edit, else the editor stays open, as for an owner who has not pressed
// Enter yet.
inline void TypeIntoCell(Form1 &form, int col, int row, const QString &text, bool finish = true) {
  controls::VaSpread *grid = form.vaSpread1;
  const QModelIndex index = grid->model()->index(row - 1, col - 1);
  grid->setCurrentIndex(index);
  grid->edit(index);
  auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
  QVERIFY2(editor != nullptr, "the cell did not open for typing");
  editor->selectAll();
  QTest::keyClicks(editor, text);
  if (finish) {
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view finishes the edit queued
  }
}
