// The clipboard as the widget tests read it back.
#pragma once
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <memory>

#include "runtime/Clipboard.h"

inline QClipboard *Board() { return QGuiApplication::clipboard(); }

// Whether the mouse selection (PRIMARY) can be checked here. Where the run
// asks for it (VANTRY_TEST_SELECTION, set by tests/support/on-xvfb.sh), a
// platform without one is a failure, not a pass over the checks.
inline bool HasSelection() {
  const bool has = Board()->supportsSelection();
  if (!has && qEnvironmentVariableIsSet("VANTRY_TEST_SELECTION"))
    qFatal("the platform %s has no mouse selection to check", qPrintable(QGuiApplication::platformName()));
  return has;
}

// True when the clipboard's data carries both marks that keep it out of the
// clipboard managers' history.
inline bool MarkedSecret() {
  const QMimeData *data = Board()->mimeData(QClipboard::Clipboard);
  return data != nullptr && data->data(QString::fromLatin1(runtime::kPasswordManagerHint)) == "secret" &&
         data->data(QString::fromLatin1(runtime::kCopyQHidden)) == "1";
}

// The mouse selection as another program holds it (xclip, in the
// foreground until stopped), so that what this program gives up of its own
// is told apart from what it must leave alone.
class ForeignSelection {
 public:
  bool Hold(const QString &text) {
    holder_.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("primary")});
    if (!holder_.waitForStarted()) return false;
    holder_.write(text.toUtf8());
    holder_.closeWriteChannel();
    return QTest::qWaitFor([&] { return Board()->text(QClipboard::Selection) == text; }, 5000);
  }
  ~ForeignSelection() {
    holder_.kill();
    holder_.waitForFinished();
  }

 private:
  QProcess holder_;
};

// What another program left before each test: a text on the clipboard and,
// where there is one, the mouse selection; with the clearing delay short.
class HeldByAnother {
 public:
  // In init(); fails the test when the selection cannot be held.
  void Set(std::chrono::milliseconds delay, const QString &clipboard, const QString &selection) {
    runtime::SetClipboardClearDelayForTest(delay);
    Board()->setText(clipboard);
    if (HasSelection()) {
      primary_ = std::make_unique<ForeignSelection>();
      QVERIFY(primary_->Hold(selection));
    }
  }
  // In cleanup(): the program's own delay again, the selection let go.
  void Release() {
    runtime::SetClipboardClearDelayForTest(std::chrono::milliseconds(0));
    primary_.reset();
  }

 private:
  std::unique_ptr<ForeignSelection> primary_;
};
