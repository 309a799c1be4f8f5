#include "runtime/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

namespace runtime {
namespace {

struct State {
  QPointer<QMimeData> ours;  // what we last put on the clipboard, while it is there
  QPointer<QTimer> timer;    // lives with the application
  std::chrono::milliseconds testDelay{0};
};

State &Current() {
  static State state;
  return state;
}

QMimeData *Marked(const QString &text) {
  auto *data = new QMimeData;
  data->setText(text);
  data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
  data->setData(QString::fromLatin1(kCopyQHidden), QByteArrayLiteral("1"));
  return data;
}

QTimer *ClearTimer() {
  State &state = Current();
  if (state.timer == nullptr) {
    // On X11 Qt hands what it still owns at exit to a clipboard manager
    // (CLIPBOARD_MANAGER, SAVE_TARGETS), which keeps it past our clearing:
    // however the program ends, a value of ours is cleared first.
    qAddPostRoutine(ClearClipboardIfOurs);
    state.timer = new QTimer(QCoreApplication::instance());
    state.timer->setSingleShot(true);
    state.timer->setTimerType(Qt::PreciseTimer);  // a coarse one may fire a second early
    QObject::connect(state.timer, &QTimer::timeout, [] { ClearClipboardIfOurs(); });
  }
  return state.timer;
}

}  // namespace

void SetClipboardSecret(const std::string &text) {
  State &state = Current();
  QClipboard *clipboard = QGuiApplication::clipboard();
  QMimeData *data = Marked(QString::fromStdString(text));
  // Only the clipboard: the X11 selection would hand the value to any
  // middle click.
  clipboard->setMimeData(data, QClipboard::Clipboard);
  state.ours = data;
  const auto delay = state.testDelay.count() > 0 ? state.testDelay : kClipboardClearDelay;
  ClearTimer()->start(delay);
}

// The clipboard hands back the very data we gave it only while we still own
// it: on X11 it asks the server for the owner, so a copy made by another
// program a moment ago counts even before its notice has reached us.
bool ClipboardHoldsOurs() {
  const State &state = Current();
  return state.ours != nullptr && QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard) == state.ours;
}

void ClearClipboardIfOurs() {
  State &state = Current();
  if (state.timer != nullptr) state.timer->stop();
  const bool ours = ClipboardHoldsOurs();
  state.ours = nullptr;
  if (!ours) return;
  // An empty text rather than no owner: a clipboard manager that keeps the
  // clipboard from going empty would otherwise bring the secret back.
  QGuiApplication::clipboard()->setMimeData(Marked(QString()), QClipboard::Clipboard);
}

void ClearSelectionIfOurs() {
  QClipboard *clipboard = QGuiApplication::clipboard();
  if (clipboard->supportsSelection() && clipboard->ownsSelection()) clipboard->clear(QClipboard::Selection);
}

void SetClipboardClearDelayForTest(std::chrono::milliseconds delay) { Current().testDelay = delay; }

}  // namespace runtime
