#include "controls/SecretEdit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "runtime/Clipboard.h"

namespace controls {
namespace {

class SecretEditGuard : public QObject {
 public:
  explicit SecretEditGuard(QLineEdit *edit) : QObject(edit), edit_(edit) {}

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched != edit_) return false;
    switch (event->type()) {
      case QEvent::MouseButtonRelease:
        // The box's own release hands a mouse selection to PRIMARY; the
        // selection itself stays, so typing still replaces it.
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
      case QEvent::KeyPress:
        return Key(static_cast<QKeyEvent *>(event));
      default:
        return false;
    }
  }

 private:
  bool Key(QKeyEvent *key) {
    const bool copy = key->matches(QKeySequence::Copy);
    const bool cut = key->matches(QKeySequence::Cut);
    const bool killLine = key->matches(QKeySequence::DeleteEndOfLine);
    const bool killAll = key->matches(QKeySequence::DeleteCompleteLine);
    if (!(copy || cut || killLine || killAll)) return false;
    // A password box shows stars: what it holds is never copied, as the box
    // itself would not.
    if ((copy || cut) && edit_->echoMode() == QLineEdit::Normal && edit_->hasSelectedText())
      runtime::SetClipboardSecret(edit_->selectedText().toStdString());
    if (edit_->isReadOnly() || copy) return true;
    if (killLine) edit_->setSelection(edit_->cursorPosition(), edit_->text().size() - edit_->cursorPosition());
    if (killAll) edit_->selectAll();
    edit_->del();
    return true;
  }

  QLineEdit *edit_;
};

}  // namespace

void GuardSecretEdit(QLineEdit *edit) {
  edit->setContextMenuPolicy(Qt::NoContextMenu);
  edit->setDragEnabled(false);
  edit->installEventFilter(new SecretEditGuard(edit));
}

}  // namespace controls
