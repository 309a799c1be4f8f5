#include "controls/SecretEdit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <utility>

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
  // The box hands its selection to PRIMARY after every key it knows. Keys
  // that can leave a selection behind are done here, through calls that do
  // not copy; the others leave none. Keys are tried in the box's own order.
  bool Key(QKeyEvent *key) {
    using K = QKeySequence;
    enum Action { Box, Undo, Redo, SelectAll, Copy, Cut, KillLine, KillAll, Home, End, Next, Previous,
                  NextWord, PreviousWord };
    static const std::pair<K::StandardKey, Action> kKeys[] = {
        {K::Undo, Undo},
        {K::Redo, Redo},
        {K::SelectAll, SelectAll},
        {K::Copy, Copy},
        {K::Paste, Box},
        {K::Cut, Cut},
        {K::DeleteEndOfLine, KillLine},
        {K::MoveToStartOfLine, Box},
        {K::MoveToStartOfBlock, Box},
        {K::MoveToEndOfLine, Box},
        {K::MoveToEndOfBlock, Box},
        {K::SelectStartOfLine, Home},
        {K::SelectStartOfBlock, Home},
        {K::SelectEndOfLine, End},
        {K::SelectEndOfBlock, End},
        {K::MoveToNextChar, Box},
        {K::SelectNextChar, Next},
        {K::MoveToPreviousChar, Box},
        {K::SelectPreviousChar, Previous},
        {K::MoveToNextWord, Box},
        {K::MoveToPreviousWord, Box},
        {K::SelectNextWord, NextWord},
        {K::SelectPreviousWord, PreviousWord},
        {K::Delete, Box},
        {K::DeleteEndOfWord, Box},
        {K::DeleteStartOfWord, Box},
        {K::DeleteCompleteLine, KillAll},
    };
    Action action = Box;
    for (const auto &[sequence, what] : kKeys)
      if (key->matches(sequence)) {
        action = what;
        break;
      }
    const bool ltr = edit_->layoutDirection() == Qt::LeftToRight;
    const bool words = edit_->echoMode() == QLineEdit::Normal;  // a password box jumps to its ends
    const bool editable = !edit_->isReadOnly();
    switch (action) {
      case Box:
        // What is left keeps no selection, apart from these, which do
        // nothing else here.
        if (edit_->hasSelectedText() &&
            (key->key() == Qt::Key_Direction_L || key->key() == Qt::Key_Direction_R ||
             ((key->modifiers() & Qt::ControlModifier) && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down))))
          break;
        return false;
      case Undo:
        if (editable) edit_->undo();
        break;
      case Redo:
        if (editable) edit_->redo();
        break;
      case SelectAll:
        edit_->selectAll();
        break;
      case Copy:
      case Cut:
        // A password box shows stars: what it holds is never copied, as the
        // box itself would not.
        if (words && edit_->hasSelectedText()) runtime::SetClipboardSecret(edit_->selectedText().toStdString());
        if (action == Cut && editable) edit_->del();
        break;
      case KillLine:
      case KillAll:
        if (!editable) break;
        if (action == KillLine)
          edit_->setSelection(edit_->cursorPosition(), edit_->text().size() - edit_->cursorPosition());
        else
          edit_->selectAll();
        edit_->del();
        break;
      case Home:
        edit_->home(true);
        break;
      case End:
        edit_->end(true);
        break;
      case Next:
      case Previous:
        edit_->cursorForward(true, (action == Next) == ltr ? 1 : -1);
        break;
      case NextWord:
      case PreviousWord:
        if ((action == NextWord) == ltr)
          words ? edit_->cursorWordForward(true) : edit_->end(true);
        else
          words ? edit_->cursorWordBackward(true) : edit_->home(true);
        break;
    }
    key->accept();
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
