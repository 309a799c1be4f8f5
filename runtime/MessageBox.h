// The program's one message box. Every message goes through MsgBox so that
// tests can answer and inspect it.
#pragma once
#include <functional>
#include <string>

namespace runtime {

// Styles, as numbered by the forms runtime.
constexpr int kStyleCritical = 16;          // stop icon, OK
constexpr int kStyleCriticalOkCancel = 17;  // stop icon, OK and Cancel
constexpr int kStyleQuestion = 32;          // question icon, OK
constexpr int kStyleQuestionOkCancel = 33;  // question icon, OK and Cancel
constexpr int kStyleSaveDiscardCancel = 35;  // question icon, Save, Discard and Cancel
constexpr int kStyleExclamationModal = 4144;  // exclamation icon, OK, stays on top

// Answers.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerSave = 6;     // the forms runtime's Yes
constexpr int kAnswerDiscard = 7;  // its No

using MessageBoxHandler =
    std::function<int(const std::string &text, int style, const std::string &caption)>;

// Shows text (UTF-8; lines separated by "\r\n") and returns the answer.
int MsgBox(const std::string &text, int style, const std::string &caption);

// Closes every box of ours that is open as its Cancel button would, or its
// only button where it has no Cancel, so no question is answered for the
// owner: each MsgBox returns that answer once its caller's turn comes. The
// number of boxes closed. Boxes answered by a test handler are not counted.
int CloseMessageBoxes();

// Whether a caller is still waiting in MsgBox for a box of ours, closed or not.
bool MessageBoxOpen();

// Replaces the box (tests); an empty handler restores the real one.
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace runtime
