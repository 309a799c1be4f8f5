// The system clipboard, for values the owner copies out of the vault.
#pragma once
#include <string>

namespace runtime {

// The mime type clipboard managers read to leave an entry out of their
// history; its value "secret" marks a password.
inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";

// Empties the clipboard, then puts text (UTF-8) on it, marked as a secret so
// that clipboard history tools do not keep it.
void SetClipboardSecret(const std::string &text);

// Empties the clipboard.
void ClearClipboard();

}  // namespace runtime
