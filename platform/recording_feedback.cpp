#include "platform/recording_feedback.h"

namespace zelvo::platform {

void RecordingFeedback::SetText(const std::string& text) {
  status_ = text;
  events_.push_back(
      {Kind::kStatus, text, "", MessageIcon::kNone, MessageButtons::kOk, cursor_level_});
}

MessageAnswer RecordingFeedback::MessageBox(const std::string& text, const std::string& caption,
                                            MessageIcon icon, MessageButtons buttons) {
  events_.push_back({Kind::kMessage, text, caption, icon, buttons, cursor_level_});
  if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
  if (answers_.empty()) return MessageAnswer::kYes;
  MessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingFeedback::BeginWaitCursor() {
  ++cursor_level_;
  events_.push_back(
      {Kind::kBeginWait, "", "", MessageIcon::kNone, MessageButtons::kOk, cursor_level_});
}

void RecordingFeedback::EndWaitCursor() {
  --cursor_level_;
  events_.push_back(
      {Kind::kEndWait, "", "", MessageIcon::kNone, MessageButtons::kOk, cursor_level_});
}

std::vector<std::string> RecordingFeedback::StatusTexts() const {
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == Kind::kStatus) texts.push_back(e.text);
  }
  return texts;
}

std::vector<std::string> RecordingFeedback::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == Kind::kMessage) texts.push_back(e.text);
  }
  return texts;
}

}  // namespace zelvo::platform
