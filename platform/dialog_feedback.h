#pragma once

#include <string>

namespace zelvo::platform {

// The application's title: the caption of every plain message box.
inline constexpr const char* kApplicationTitle = "zelvoGDB Setup";

// The dialog's status text. A text set here must be visible at once, also while the command
// that set it still runs.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void SetText(const std::string& text) = 0;
};

enum class MessageIcon { kNone, kExclamation };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

// What a dialog's steps use of the dialog: its status line, message boxes owned by it, and the
// counted wait cursor (every Begin is matched by an End; the levels nest).
class DialogFeedback {
 public:
  virtual ~DialogFeedback() = default;
  virtual StatusLine& Status() = 0;
  virtual MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                                   MessageIcon icon, MessageButtons buttons) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // A plain message box: the text alone, an OK button, no icon, the application title.
  void ShowMessage(const std::string& text) {
    MessageBox(text, kApplicationTitle, MessageIcon::kNone, MessageButtons::kOk);
  }
};

}  // namespace zelvo::platform
