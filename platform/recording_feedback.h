#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/dialog_feedback.h"

namespace zelvo::platform {

// The headless DialogFeedback: records every status text, message box and wait-cursor change in
// order, and answers questions from a script (Yes when the script is empty).
class RecordingFeedback : public DialogFeedback, public StatusLine {
 public:
  enum class Kind { kStatus, kMessage, kBeginWait, kEndWait };
  struct Event {
    Kind kind;
    std::string text;     // status or message text
    std::string caption;  // message boxes only
    MessageIcon icon = MessageIcon::kNone;
    MessageButtons buttons = MessageButtons::kOk;
    int cursor_level = 0;  // the wait-cursor level after the event (for messages: while shown)
  };

  StatusLine& Status() override { return *this; }
  void SetText(const std::string& text) override;
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  void Answer(MessageAnswer answer) { answers_.push_back(answer); }

  const std::vector<Event>& events() const { return events_; }
  std::vector<std::string> StatusTexts() const;
  std::vector<std::string> MessageTexts() const;
  const std::string& status() const { return status_; }
  int cursor_level() const { return cursor_level_; }
  void Clear() { events_.clear(); }

 private:
  std::vector<Event> events_;
  std::deque<MessageAnswer> answers_;
  std::string status_;
  int cursor_level_ = 0;
};

}  // namespace zelvo::platform
