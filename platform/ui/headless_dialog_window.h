#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/recording_feedback.h"
#include "platform/ui/command_dispatcher.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/headless_controls.h"

namespace zelvo::platform::ui {

// A dialog window held in memory, for tests: it has the template's controls with their initial
// texts and list entries, records every status text (each text set on the status control),
// message box and wait-cursor change in order, answers questions from a script (Yes when the
// script is empty), and plays the user: typing, picking list entries, pressing buttons and keys.
//
// RunModal runs the initialisation, then the queued user actions one after the other until the
// dialog ends; when they run out first, it returns kDialogFailed and the window stays open, so a
// test can go on acting on it and look at `result()` afterwards.
//
// The user acts only on an open window (RunModal started, the dialog not ended), on enabled
// controls, and not while a command runs: otherwise an action does nothing and returns false.
class HeadlessDialogWindow final : public DialogWindow, private HeadlessControlHost {
 public:
  using UserAction = std::function<void(HeadlessDialogWindow&)>;

  explicit HeadlessDialogWindow(const DialogTemplate& dialog);

  // DialogWindow
  Control* FindControl(int id) override;
  void SetCommandHandler(int id, CommandHandler handler) override;
  int RunModal(const std::function<void()>& on_init) override;
  void EndDialog(int result) override;
  int WaitCursorLevel() const override { return recorder_.cursor_level(); }

  // DialogFeedback
  StatusLine& Status() override;
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons) override;
  void BeginWaitCursor() override { recorder_.BeginWaitCursor(); }
  void EndWaitCursor() override { recorder_.EndWaitCursor(); }

  // The user's side.
  // Queues an action of the user for RunModal.
  void Then(UserAction action) { actions_.push_back(std::move(action)); }
  // Selects the whole text of the edit box `id` and types `text`: the box's limit cuts it.
  bool Type(int id, const std::string& text);
  // Picks entry `index` of the list `id`.
  bool Pick(int id, int index);
  // Clicks the button `id`; true when its command ran (or the dialog ended by it).
  bool Press(int id);
  // The Enter key: presses the focused button, else the default button.
  bool PressEnter();
  // The Escape key: presses Cancel.
  bool PressEscape();
  // The answer to the next Yes/No question.
  void Answer(MessageAnswer answer) { recorder_.Answer(answer); }

  // What the window shows and did.
  const RecordingFeedback& recorder() const { return recorder_; }
  const std::vector<RecordingFeedback::Event>& events() const { return recorder_.events(); }
  std::vector<std::string> StatusTexts() const { return recorder_.StatusTexts(); }
  std::vector<std::string> MessageTexts() const { return recorder_.MessageTexts(); }
  void ClearEvents() { recorder_.Clear(); }
  const DialogTemplate& dialog_template() const { return dialog_; }
  // Every control in template order, those without an ID included.
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  bool is_open() const { return opened_ && !ended_; }
  bool ended() const { return ended_; }
  int result() const { return ended_ ? result_ : kDialogFailed; }
  bool command_running() const { return dispatcher_.busy(); }
  // The ID of the control with the focus; kNoControlId when none has it.
  int focused_id() const { return focused_ != nullptr ? focused_->Id() : kNoControlId; }

 private:
  // HeadlessControlHost
  void OnFocus(Control& control) override { focused_ = &control; }
  void OnTextSet(Control& control, const std::string& text) override;

  bool AcceptsInput() const { return is_open() && !dispatcher_.busy(); }
  void RunQueuedActions();
  void FocusFirstTabStop();

  DialogTemplate dialog_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<int, Control*> by_id_;
  RecordingFeedback recorder_;
  CommandDispatcher dispatcher_{*this};
  std::deque<UserAction> actions_;
  Control* focused_ = nullptr;
  bool opened_ = false;
  bool ended_ = false;
  int result_ = kDialogFailed;
};

// Makes headless windows and keeps each one alive after its dialog has ended, so that a test can
// look at it; `on_create` may queue the user's actions for each window it makes.
class HeadlessDialogFactory final : public DialogFactory {
 public:
  using OnCreate = std::function<void(HeadlessDialogWindow&)>;

  explicit HeadlessDialogFactory(OnCreate on_create = nullptr) : on_create_(std::move(on_create)) {}

  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialog) override;

  // The windows made so far, oldest first. They live as long as the factory.
  const std::vector<HeadlessDialogWindow*>& windows() const { return windows_; }
  HeadlessDialogWindow* last() const { return windows_.empty() ? nullptr : windows_.back(); }

 private:
  OnCreate on_create_;
  std::vector<std::shared_ptr<HeadlessDialogWindow>> kept_;
  std::vector<HeadlessDialogWindow*> windows_;
};

}  // namespace zelvo::platform::ui
