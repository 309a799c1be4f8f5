// Answers message boxes in tests and records what they showed.
#pragma once
#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
  std::string text;
  int style;
  std::string caption;
};

class ScriptedMessageBox {
 public:
  ScriptedMessageBox();
  ~ScriptedMessageBox();
  ScriptedMessageBox(const ScriptedMessageBox &) = delete;
  ScriptedMessageBox &operator=(const ScriptedMessageBox &) = delete;

  void Answer(int answer) { answers_.push_back(answer); }  // then OK for the rest
  const std::vector<ShownMessage> &Shown() const { return shown_; }
  void Clear() { shown_.clear(); }

 private:
  std::vector<ShownMessage> shown_;
  std::deque<int> answers_;
};
