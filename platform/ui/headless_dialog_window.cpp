#include "platform/ui/headless_dialog_window.h"

#include <utility>

#include "platform/ui/typing_limit.h"

namespace zelvo::platform::ui {

HeadlessDialogWindow::HeadlessDialogWindow(const DialogTemplate& dialog) : dialog_(dialog) {
  for (const ControlTemplate& control : dialog_.controls) {
    controls_.push_back(MakeHeadlessControl(*this, control));
    if (control.id != kNoControlId) by_id_.emplace(control.id, controls_.back().get());
  }
}

Control* HeadlessDialogWindow::FindControl(int id) {
  auto it = by_id_.find(id);
  return it != by_id_.end() ? it->second : nullptr;
}

void HeadlessDialogWindow::SetCommandHandler(int id, CommandHandler handler) {
  dispatcher_.Set(id, std::move(handler));
}

int HeadlessDialogWindow::RunModal(const std::function<void()>& on_init) {
  if (ended_) return kDialogFailed;
  if (!opened_) {
    opened_ = true;
    if (on_init) on_init();
    if (!ended_) FocusFirstTabStop();
  }
  RunQueuedActions();
  return result();
}

void HeadlessDialogWindow::EndDialog(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
}

StatusLine& HeadlessDialogWindow::Status() {
  if (StaticText* status = FindStatic(dialog_.status_line_id)) return *status;
  return recorder_;
}

MessageAnswer HeadlessDialogWindow::MessageBox(const std::string& text, const std::string& caption,
                                               MessageIcon icon, MessageButtons buttons) {
  return recorder_.MessageBox(text, caption, icon, buttons);
}

bool HeadlessDialogWindow::Type(int id, const std::string& text) {
  EditBox* edit = FindEdit(id);
  if (!AcceptsInput() || edit == nullptr || !edit->IsWindowEnabled()) return false;
  edit->SetFocus();
  // Selecting everything first makes the typed text replace the whole text.
  edit->SetWindowText(ApplyTypingLimit("", text, edit->GetLimitText()));
  return true;
}

bool HeadlessDialogWindow::Pick(int id, int index) {
  DropDownList* list = FindList(id);
  if (!AcceptsInput() || list == nullptr || !list->IsWindowEnabled()) return false;
  if (index < 0 || index >= list->GetCount()) return false;
  list->SetFocus();
  list->SetCurSel(index);
  return true;
}

bool HeadlessDialogWindow::Press(int id) {
  PushButton* button = FindButton(id);
  if (!AcceptsInput() || button == nullptr || !button->IsWindowEnabled()) return false;
  button->SetFocus();
  return dispatcher_.Dispatch(id);
}

bool HeadlessDialogWindow::PressEnter() {
  if (auto* button = dynamic_cast<PushButton*>(focused_)) return Press(button->Id());
  for (const ControlTemplate& control : dialog_.controls) {
    if (control.kind == ControlKind::kDefaultPushButton) return Press(control.id);
  }
  return false;
}

bool HeadlessDialogWindow::PressEscape() {
  // Escape works whether or not a Cancel button is there, and even when it is disabled.
  if (!AcceptsInput()) return false;
  return dispatcher_.Dispatch(kIdCancel);
}

void HeadlessDialogWindow::OnTextSet(Control& control, const std::string& text) {
  if (control.Id() == dialog_.status_line_id && control.Id() != kNoControlId) {
    recorder_.SetText(text);
  }
}

void HeadlessDialogWindow::RunQueuedActions() {
  while (is_open() && !actions_.empty()) {
    UserAction action = std::move(actions_.front());
    actions_.pop_front();
    action(*this);
  }
}

void HeadlessDialogWindow::FocusFirstTabStop() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (dialog_.controls[i].tab_stop && controls_[i]->IsWindowEnabled()) {
      controls_[i]->SetFocus();
      return;
    }
  }
}

namespace {

// The caller's handle on a window that the factory keeps.
class KeptWindow final : public DialogWindow {
 public:
  explicit KeptWindow(std::shared_ptr<HeadlessDialogWindow> window) : window_(std::move(window)) {}

  Control* FindControl(int id) override { return window_->FindControl(id); }
  void SetCommandHandler(int id, CommandHandler handler) override {
    window_->SetCommandHandler(id, std::move(handler));
  }
  int RunModal(const std::function<void()>& on_init) override { return window_->RunModal(on_init); }
  void EndDialog(int result) override { window_->EndDialog(result); }
  int WaitCursorLevel() const override { return window_->WaitCursorLevel(); }
  StatusLine& Status() override { return window_->Status(); }
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons) override {
    return window_->MessageBox(text, caption, icon, buttons);
  }
  void BeginWaitCursor() override { window_->BeginWaitCursor(); }
  void EndWaitCursor() override { window_->EndWaitCursor(); }

 private:
  std::shared_ptr<HeadlessDialogWindow> window_;
};

}  // namespace

std::unique_ptr<DialogWindow> HeadlessDialogFactory::CreateDialogWindow(
    const DialogTemplate& dialog) {
  auto window = std::make_shared<HeadlessDialogWindow>(dialog);
  kept_.push_back(window);
  windows_.push_back(window.get());
  if (on_create_) on_create_(*window);
  return std::make_unique<KeptWindow>(window);
}

}  // namespace zelvo::platform::ui
