#include "app/cli/terminal_dialog_window.h"

#include <utility>

#include "platform/ui/setup_dialog_template.h"

namespace zelvo::cli {

TerminalDialogWindow::TerminalDialogWindow(CliOutput& output, Asker ask)
    : controls_(platform::ui::SetupDialogTemplate()), output_(output), ask_(std::move(ask)) {}

void TerminalDialogWindow::SetCommandHandler(int id, CommandHandler handler) {
  controls_.SetCommandHandler(id, std::move(handler));
}

int TerminalDialogWindow::RunModal(const std::function<void()>& on_init) {
  return controls_.RunModal(on_init);
}

void TerminalDialogWindow::TerminalStatusLine::SetText(const std::string& text) {
  text_ = text;
  ++window_.status_count_;
  if (platform::ui::StaticText* control =
          window_.controls_.FindStatic(window_.controls_.dialog_template().status_line_id)) {
    control->SetWindowText(text);
  }
  window_.output_.Status(text);
}

platform::MessageAnswer TerminalDialogWindow::MessageBox(const std::string& text,
                                                         const std::string& caption,
                                                         platform::MessageIcon icon,
                                                         platform::MessageButtons buttons) {
  last_message_ = text;
  if (buttons == platform::MessageButtons::kOk) {
    output_.Message(text, caption, icon);
    return platform::MessageAnswer::kOk;
  }
  output_.EndLine();
  QuestionReply reply = ask_ ? ask_(text) : QuestionReply{};
  if (!reply.asked_on_terminal || output_.mode() == OutputMode::kJson) {
    output_.Question(text, caption, reply.answer, reply.how);
  }
  return reply.answer;
}

std::string TerminalDialogWindow::ControlText(int id) {
  platform::ui::Control* control = FindControl(id);
  return control != nullptr ? control->GetWindowText() : std::string();
}

bool TerminalDialogWindow::ControlEnabled(int id) {
  platform::ui::Control* control = FindControl(id);
  return control != nullptr && control->IsWindowEnabled();
}

}  // namespace zelvo::cli
