#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"

namespace zelvo::platform::ui {

// What a headless control tells the window it sits in.
class HeadlessControlHost {
 public:
  virtual ~HeadlessControlHost() = default;
  virtual void OnFocus(Control& control) = 0;
  virtual void OnTextSet(Control& control, const std::string& text) = 0;
};

// The state every headless control keeps; the kinds below add what is theirs.
template <class Interface>
class HeadlessControl : public Interface {
 public:
  HeadlessControl(HeadlessControlHost& host, const ControlTemplate& control)
      : host_(host), id_(control.id), text_(control.text) {}

  int Id() const override { return id_; }
  void SetWindowText(const std::string& text) override {
    text_ = text;
    host_.OnTextSet(*this, text);
  }
  std::string GetWindowText() const override { return text_; }
  void EnableWindow(bool enable) override { enabled_ = enable; }
  bool IsWindowEnabled() const override { return enabled_; }
  void SetFocus() override { host_.OnFocus(*this); }

 private:
  HeadlessControlHost& host_;
  int id_;
  std::string text_;
  bool enabled_ = true;
};

using HeadlessGroupBox = HeadlessControl<GroupBox>;
using HeadlessPushButton = HeadlessControl<PushButton>;
using HeadlessStaticText = HeadlessControl<StaticText>;

class HeadlessEditBox final : public HeadlessControl<EditBox> {
 public:
  using HeadlessControl::HeadlessControl;
  void SetLimitText(size_t max_chars) override { limit_ = max_chars; }
  size_t GetLimitText() const override { return limit_; }

 private:
  size_t limit_ = 0;
};

// The list's text is its selected entry (empty with none); setting the text selects the first
// entry equal to it, or none.
class HeadlessDropDownList final : public DropDownList {
 public:
  HeadlessDropDownList(HeadlessControlHost& host, const ControlTemplate& control);

  int Id() const override { return id_; }
  void SetWindowText(const std::string& text) override;
  std::string GetWindowText() const override;
  void EnableWindow(bool enable) override { enabled_ = enable; }
  bool IsWindowEnabled() const override { return enabled_; }
  void SetFocus() override { host_.OnFocus(*this); }

  int AddString(const std::string& entry) override;
  int GetCount() const override { return static_cast<int>(entries_.size()); }
  std::string GetLBText(int index) const override;
  int GetCurSel() const override { return selection_; }
  bool SetCurSel(int index) override;

 private:
  HeadlessControlHost& host_;
  int id_;
  std::vector<std::string> entries_;
  int selection_ = -1;
  bool enabled_ = true;
};

// A headless control of the template's kind, with its init entries.
std::unique_ptr<Control> MakeHeadlessControl(HeadlessControlHost& host,
                                             const ControlTemplate& control);

}  // namespace zelvo::platform::ui
