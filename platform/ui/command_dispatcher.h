#pragma once

#include <map>

#include "platform/ui/dialog_window.h"

namespace zelvo::platform::ui {

// The command table of a dialog window, and the rules by which a press reaches it (shared by
// the backends): one command at a time; kIdOk and kIdCancel end the dialog when nobody handles
// them; an exception that escapes a handler is shown in a message box after the wait-cursor
// levels it left open are ended.
class CommandDispatcher {
 public:
  explicit CommandDispatcher(DialogWindow& window) : window_(window) {}

  void Set(int id, DialogWindow::CommandHandler handler);
  bool Has(int id) const;

  // Runs the command of `id`. False when the press was dropped because a command still runs.
  bool Dispatch(int id);
  bool busy() const { return busy_; }

 private:
  void Report(const char* what, int cursor_level);

  DialogWindow& window_;
  std::map<int, DialogWindow::CommandHandler> handlers_;
  bool busy_ = false;
};

}  // namespace zelvo::platform::ui
