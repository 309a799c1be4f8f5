#include "tests/support/ScriptedMessageBox.h"

#include "runtime/MessageBox.h"

ScriptedMessageBox::ScriptedMessageBox() {
  runtime::SetMessageBoxHandler([this](const std::string &text, int style, const std::string &caption) {
    shown_.push_back({text, style, caption});
    if (answers_.empty()) return runtime::kAnswerOk;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedMessageBox::~ScriptedMessageBox() { runtime::SetMessageBoxHandler({}); }
