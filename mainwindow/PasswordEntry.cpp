#include "mainwindow/PasswordEntry.h"

#include <limits>

namespace password_entry {

Rule Decide(const std::string &typed, const WindowState &state, const std::string &loginPassword,
            const std::string &editPassword) {
  if (state.gridShown && state.displayLevel == 2) return Rule::ItemName;
  if (typed == loginPassword) return Rule::Login;
  if (state.barShown && typed == editPassword) return Rule::Unlock;
  if (!state.gridShown) return Rule::WrongBeforeLogin;
  return Rule::WrongAfterLogin;
}

Reply CountWrongEntry(int16_t &failedTries) {
  if (failedTries < std::numeric_limits<int16_t>::max()) ++failedTries;
  if (failedTries >= 10) return Reply::LockOut;
  if (failedTries >= 7) return Reply::ReturnRequest;
  if (failedTries == 3) return Reply::Hint;
  return Reply::None;
}

std::string HintMessage(const std::string &hintText) {
  return "Did you forget the password?\r\nPssword Hint: \r\n" + hintText;
}

std::string ReturnMessage() {
  return "Is this Vantry yours ?\r\nPlease return this Vantry to the owner. \r\nmn(_\"_)nm";
}

}  // namespace password_entry
