#pragma once

#include "platform/dialog_feedback.h"

namespace zelvo {

// One level of the dialog's counted wait cursor, begun on construction. End() ends it early (so
// that a message box can be shown at the caller's level); otherwise it ends when the object goes,
// also when an exception passes through.
class WaitCursorLevel {
 public:
  explicit WaitCursorLevel(platform::DialogFeedback& feedback) : feedback_(feedback) {
    feedback_.BeginWaitCursor();
  }
  ~WaitCursorLevel() { End(); }
  WaitCursorLevel(const WaitCursorLevel&) = delete;
  WaitCursorLevel& operator=(const WaitCursorLevel&) = delete;

  void End() {
    if (active_) {
      active_ = false;
      feedback_.EndWaitCursor();
    }
  }

 private:
  platform::DialogFeedback& feedback_;
  bool active_ = true;
};

}  // namespace zelvo
