#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/wx_control_host.h"
#include "platform/ui/wx_text.h"

namespace zelvo::platform::ui {

// A control's interface over its wx widget. The widget belongs to the dialog window.
template <class Interface, class Widget>
class WxControl : public Interface {
 public:
  WxControl(WxControlHost& host, int id, Widget* widget) : host_(host), id_(id), widget_(widget) {}

  int Id() const override { return id_; }
  void SetWindowText(const std::string& text) override {
    widget_->SetLabel(ToWxString(text));
    host_.ShowNow();
  }
  std::string GetWindowText() const override { return FromWxString(widget_->GetLabel()); }
  void EnableWindow(bool enable) override {
    widget_->Enable(enable);
    host_.ShowNow();
  }
  bool IsWindowEnabled() const override { return widget_->IsThisEnabled(); }
  void SetFocus() override { widget_->SetFocus(); }

  Widget* widget() const { return widget_; }

 protected:
  WxControlHost& host() const { return host_; }

 private:
  WxControlHost& host_;
  int id_;
  Widget* widget_;
};

using WxGroupBox = WxControl<GroupBox, wxStaticBox>;
using WxPushButton = WxControl<PushButton, wxButton>;
using WxStaticText = WxControl<StaticText, wxStaticText>;

// The limit is kept here rather than in the native entry, which would cut a longer text set by
// the program: each edit by the user is checked as it happens.
class WxEditBox final : public WxControl<EditBox, wxTextCtrl> {
 public:
  WxEditBox(WxControlHost& host, int id, wxTextCtrl* widget);

  void SetWindowText(const std::string& text) override;
  std::string GetWindowText() const override;
  void SetLimitText(size_t max_chars) override { limit_ = max_chars; }
  size_t GetLimitText() const override { return limit_; }

 private:
  void OnTextChanged(wxCommandEvent& event);

  size_t limit_ = 0;
  std::string shown_;  // the text before the user's latest edit
  bool correcting_ = false;
};

class WxDropDownList final : public WxControl<DropDownList, wxChoice> {
 public:
  using WxControl::WxControl;

  void SetWindowText(const std::string& text) override;
  std::string GetWindowText() const override;
  int AddString(const std::string& entry) override;
  int GetCount() const override;
  std::string GetLBText(int index) const override;
  int GetCurSel() const override;
  bool SetCurSel(int index) override;
};

}  // namespace zelvo::platform::ui
