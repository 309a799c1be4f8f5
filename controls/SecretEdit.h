// Text boxes that show stored values or passwords.
#pragma once

class QLineEdit;

namespace controls {

// Keeps what edit shows out of the desktop's hands: no selection made in it,
// by mouse or keys, ever goes to the mouse selection (PRIMARY); Copy and Cut
// put the selected text on the clipboard only marked as a secret and timed
// like the Copy command; the line-kill keys delete without copying; and the
// box has no context menu or drag that could copy unmarked. Install before
// other event filters of edit, so that theirs see every event first.
void GuardSecretEdit(QLineEdit *edit);

}  // namespace controls
