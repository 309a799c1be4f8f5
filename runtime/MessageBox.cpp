#include "runtime/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QShortcut>
#include <QPointer>
#include <QString>
#include <vector>

#include "runtime/Clipboard.h"

namespace runtime {
namespace {

MessageBoxHandler &Handler() {
  static MessageBoxHandler handler;
  return handler;
}

// Our boxes now open, innermost last.
std::vector<QPointer<QMessageBox>> &OpenBoxes() {
  static std::vector<QPointer<QMessageBox>> boxes;
  return boxes;
}

int ShowQtBox(const std::string &text, int style, const std::string &caption) {
  // Over the window it answers, where there is one.
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(QString::fromStdString(caption));
  // Item names, hints and titles are shown as typed, never read as markup,
  // and the text cannot be selected into the mouse selection.
  box.setTextFormat(Qt::PlainText);
  box.setTextInteractionFlags(Qt::NoTextInteraction);
  // Qt breaks lines on "\n"; the program's texts use "\r\n".
  box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  const int icon = style & 0x70;
  switch (icon) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  if ((style & 0x0F) == 1) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
  } else if ((style & 0x0F) == 3) {
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  // Ctrl+C copies the message, as message boxes on the owner's old desktop
  // did; a hint word or item name in it goes the way of every copied secret.
  auto *copy = new QShortcut(QKeySequence::Copy, &box);
  QObject::connect(copy, &QShortcut::activated, &box, [&box] { SetClipboardSecret(box.text().toStdString()); });
  box.setWindowModality(Qt::ApplicationModal);
  if (style & 0x1000) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  OpenBoxes().push_back(&box);
  const int answer = box.exec();
  std::erase(OpenBoxes(), QPointer<QMessageBox>(&box));
  switch (answer) {
    case QMessageBox::Ok: return kAnswerOk;
    case QMessageBox::Save: return kAnswerSave;
    case QMessageBox::Discard: return kAnswerDiscard;
    default: return kAnswerCancel;
  }
}

}  // namespace

int MsgBox(const std::string &text, int style, const std::string &caption) {
  if (Handler()) return Handler()(text, style, caption);
  if (QApplication::instance() == nullptr) return kAnswerOk;  // no screen to ask on
  return ShowQtBox(text, style, caption);
}

int CloseMessageBoxes() {
  int closed = 0;
  // Innermost first: each box's caller unwinds in the order it was called.
  const auto boxes = OpenBoxes();
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    QMessageBox *box = *it;
    if (box == nullptr || !box->isVisible()) continue;
    const bool hasCancel = box->button(QMessageBox::Cancel) != nullptr;
    box->done(hasCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    ++closed;
  }
  return closed;
}

// Counted until exec() has returned, so a closed box whose caller has not
// yet resumed is still open here.
bool MessageBoxOpen() {
  for (const QPointer<QMessageBox> &box : OpenBoxes())
    if (box != nullptr) return true;
  return false;
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace runtime
