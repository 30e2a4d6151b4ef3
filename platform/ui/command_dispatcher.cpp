#include "platform/ui/command_dispatcher.h"

#include <exception>
#include <string>
#include <utility>

namespace zelvo::platform::ui {
namespace {

constexpr const char* kUnexpectedError = "An unexpected error occurred.";

}  // namespace

void CommandDispatcher::Set(int id, DialogWindow::CommandHandler handler) {
  if (handler) {
    handlers_[id] = std::move(handler);
  } else {
    handlers_.erase(id);
  }
}

bool CommandDispatcher::Has(int id) const {
  return handlers_.count(id) != 0;
}

bool CommandDispatcher::Dispatch(int id) {
  if (busy_) return false;
  auto it = handlers_.find(id);
  if (it == handlers_.end()) {
    if (id == kIdOk || id == kIdCancel) window_.EndDialog(id);
    return true;
  }
  // A copy, so that a handler may replace or remove its own entry while it runs.
  DialogWindow::CommandHandler handler = it->second;
  const int cursor_level = window_.WaitCursorLevel();
  busy_ = true;
  try {
    handler();
  } catch (const std::exception& e) {
    Report(e.what(), cursor_level);
  } catch (...) {
    Report(nullptr, cursor_level);
  }
  busy_ = false;
  return true;
}

void CommandDispatcher::Report(const char* what, int cursor_level) {
  while (window_.WaitCursorLevel() > cursor_level) window_.EndWaitCursor();
  std::string text = (what != nullptr && *what != '\0') ? what : kUnexpectedError;
  window_.MessageBox(text, kApplicationTitle, MessageIcon::kExclamation, MessageButtons::kOk);
}

}  // namespace zelvo::platform::ui
