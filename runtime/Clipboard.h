// The system clipboard, for values the owner copies out of the vault.
#pragma once
#include <chrono>
#include <string>

namespace runtime {

// The mime type clipboard managers read to leave an entry out of their
// history; its value "secret" marks a password (Klipper, CopyQ from 8).
inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";

// CopyQ's own mark, the only one CopyQ before 8 (Debian 12 ships 6.4) looks
// at: with the value "1" it neither shows nor stores the entry.
inline constexpr char kCopyQHidden[] = "application/x-copyq-hidden";

// How long a copied value stays on the clipboard.
inline constexpr std::chrono::milliseconds kClipboardClearDelay{20000};

// Puts text (UTF-8) on the clipboard, marked with both marks above so that
// clipboard history tools do not keep it, and clears it after kClipboardClearDelay
// unless something else has been copied since.
void SetClipboardSecret(const std::string &text);

// Clears the clipboard only while it still holds what SetClipboardSecret put
// there: a text copied since, in this program or another, is left alone. The
// clearing is itself marked secret, so that history and sync tools pass on
// nothing.
void ClearClipboardIfOurs();

// Gives up the mouse selection (PRIMARY) where this program holds it.
void ClearSelectionIfOurs();

// Whether the clipboard still holds what SetClipboardSecret put there.
bool ClipboardHoldsOurs();

// Tests only: the delay of the copies that follow; zero restores
// kClipboardClearDelay. The program never calls it; the end-to-end run
// measures the delay the program itself keeps.
void SetClipboardClearDelayForTest(std::chrono::milliseconds delay);

}  // namespace runtime
