#pragma once

#include <functional>
#include <string>

#include "app/cli/cli_output.h"
#include "app/cli/terminal_question.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/headless_dialog_window.h"

namespace zelvo::cli {

// The Update/Setup dialog's window in a terminal. Its controls are those of a headless window
// made from the dialog's template, to which it forwards everything about controls, commands and
// the modal run; its feedback is its own: every status text goes to the output as it is set,
// every message box is printed with its caption, Yes/No questions go to `ask`, and the wait
// cursor is a count only.
class TerminalDialogWindow final : public platform::ui::DialogWindow {
 public:
  using Asker = std::function<QuestionReply(const std::string& text)>;

  TerminalDialogWindow(CliOutput& output, Asker ask);

  // DialogWindow
  platform::ui::Control* FindControl(int id) override { return controls_.FindControl(id); }
  void SetCommandHandler(int id, CommandHandler handler) override;
  int RunModal(const std::function<void()>& on_init) override;
  void EndDialog(int result) override { controls_.EndDialog(result); }
  int WaitCursorLevel() const override { return cursor_level_; }

  // DialogFeedback
  platform::StatusLine& Status() override { return status_; }
  platform::MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                                     platform::MessageIcon icon,
                                     platform::MessageButtons buttons) override;
  void BeginWaitCursor() override { ++cursor_level_; }
  void EndWaitCursor() override {
    if (cursor_level_ > 0) --cursor_level_;
  }

  // The last status text; empty before the first.
  const std::string& status() const { return status_.text(); }
  // How many status texts were set so far.
  int status_count() const { return status_count_; }
  // The text of the last message box (questions included); empty before the first.
  const std::string& last_message() const { return last_message_; }
  // The text of a control (a display, an edit box); empty when there is none.
  std::string ControlText(int id);
  bool ControlEnabled(int id);
  // Whether the dialog was ended (by OK or Cancel), and with which result.
  bool ended() const { return controls_.ended(); }
  int result() const { return controls_.result(); }

 private:
  // The status line: the text goes to the output and onto the template's status control.
  class TerminalStatusLine final : public platform::StatusLine {
   public:
    explicit TerminalStatusLine(TerminalDialogWindow& window) : window_(window) {}
    void SetText(const std::string& text) override;
    const std::string& text() const { return text_; }

   private:
    TerminalDialogWindow& window_;
    std::string text_;
  };

  platform::ui::HeadlessDialogWindow controls_;
  CliOutput& output_;
  Asker ask_;
  TerminalStatusLine status_{*this};
  int cursor_level_ = 0;
  int status_count_ = 0;
  std::string last_message_;
};

}  // namespace zelvo::cli
