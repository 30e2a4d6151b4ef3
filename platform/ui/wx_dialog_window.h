#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/command_dispatcher.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/wx_control_host.h"

class wxCloseEvent;
class wxCommandEvent;
class wxDialog;
class wxKeyEvent;
class wxWindow;

namespace zelvo::platform::ui {

// A dialog window of wxWidgets built from a template: the template's font (a sans-serif face
// in its size where the face is missing), its place and size and every control's converted from
// dialog units with that font, the controls created in template order (so the tab order follows
// it), the default button pressed by Enter, Cancel by Escape and by closing the window. Without
// a system menu the window has no close box.
//
// While a command runs, the window takes no input but keeps painting: every text set on a
// control, every change of a control's enabled state and every new wait-cursor level repaints
// the window at once, holding the user's input back until the command ends.
//
// Texts pass as Latin-1 (wx_text.h). The window runs modally once.
class WxDialogWindow final : public DialogWindow, private WxControlHost {
 public:
  // `parent` owns the window (and its place is relative to the parent's client area); it may be
  // nullptr, and otherwise must outlive this object.
  WxDialogWindow(wxWindow* parent, const DialogTemplate& dialog);
  ~WxDialogWindow() override;
  WxDialogWindow(const WxDialogWindow&) = delete;
  WxDialogWindow& operator=(const WxDialogWindow&) = delete;

  // DialogWindow
  Control* FindControl(int id) override;
  void SetCommandHandler(int id, CommandHandler handler) override;
  int RunModal(const std::function<void()>& on_init) override;
  void EndDialog(int result) override;
  int WaitCursorLevel() const override { return cursor_level_; }

  // DialogFeedback
  StatusLine& Status() override;
  MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  // Runs the command of the button `id` as a click on it would: false when the button is
  // missing or disabled, or a command still runs.
  bool Press(int id);

  wxDialog* wx_dialog() const { return dialog_; }
  const DialogTemplate& dialog_template() const { return dialog_template_; }
  // The wx window of each control, in template order.
  const std::vector<wxWindow*>& widgets() const { return widgets_; }
  bool command_running() const { return dispatcher_.busy(); }

 private:
  class NullStatusLine final : public StatusLine {
   public:
    void SetText(const std::string&) override {}
  };

  void ShowNow() override;
  void CreateControls();
  void OnButton(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);
  void FocusFirstTabStop();
  int DefaultButtonId() const;

  DialogTemplate dialog_template_;
  wxDialog* dialog_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<wxWindow*> widgets_;
  std::map<int, Control*> by_id_;
  CommandDispatcher dispatcher_{*this};
  NullStatusLine null_status_;
  int cursor_level_ = 0;
  bool ran_ = false;
  bool ended_ = false;
  int result_ = kDialogFailed;
};

// Makes wx dialog windows owned by `parent` (which may be nullptr).
class WxDialogFactory final : public DialogFactory {
 public:
  explicit WxDialogFactory(wxWindow* parent) : parent_(parent) {}
  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialog) override;

 private:
  wxWindow* parent_;
};

}  // namespace zelvo::platform::ui
