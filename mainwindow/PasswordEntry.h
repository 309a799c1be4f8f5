// What an Enter in the password box means, decided without the window.
#pragma once
#include <cstdint>
#include <string>

namespace password_entry {

constexpr char kCaption[] = "Password Entry";

// How the window stands when Enter is pressed.
struct WindowState {
  bool gridShown;  // the grid panel is visible: the archive is open
  bool barShown;   // the command bar is visible
  int16_t displayLevel;
};

enum class Rule {
  ItemName,          // everything in clear: the text renames the current row
  Login,             // the login password: the grid comes into view
  Unlock,            // the edit password after login: the commands come into view
  WrongBeforeLogin,  // counted and answered
  WrongAfterLogin,   // ignored
};

// Exact, case-sensitive comparisons over the whole text; the first rule that
// applies wins, so equal passwords can never unlock.
Rule Decide(const std::string &typed, const WindowState &state, const std::string &loginPassword,
            const std::string &editPassword);

enum class Reply { None, Hint, ReturnRequest, LockOut };

// Counts one wrong entry and says how to answer it. The count stops at its
// largest value rather than wrapping back to harmless small numbers.
Reply CountWrongEntry(int16_t &failedTries);

std::string HintMessage(const std::string &hintText);
std::string ReturnMessage();

}  // namespace password_entry
