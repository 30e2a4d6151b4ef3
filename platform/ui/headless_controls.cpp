#include "platform/ui/headless_controls.h"

namespace zelvo::platform::ui {

HeadlessDropDownList::HeadlessDropDownList(HeadlessControlHost& host,
                                           const ControlTemplate& control)
    : host_(host), id_(control.id) {
  for (const std::string& entry : control.init_entries) AddString(entry);
}

void HeadlessDropDownList::SetWindowText(const std::string& text) {
  selection_ = -1;
  for (int i = 0; i < GetCount(); ++i) {
    if (entries_[i] == text) {
      selection_ = i;
      break;
    }
  }
}

std::string HeadlessDropDownList::GetWindowText() const {
  return GetLBText(selection_);
}

int HeadlessDropDownList::AddString(const std::string& entry) {
  entries_.push_back(entry);
  return GetCount() - 1;
}

std::string HeadlessDropDownList::GetLBText(int index) const {
  if (index < 0 || index >= GetCount()) return "";
  return entries_[index];
}

bool HeadlessDropDownList::SetCurSel(int index) {
  selection_ = (index >= 0 && index < GetCount()) ? index : -1;
  return selection_ != -1;
}

std::unique_ptr<Control> MakeHeadlessControl(HeadlessControlHost& host,
                                             const ControlTemplate& control) {
  switch (control.kind) {
    case ControlKind::kGroupBox:
      return std::make_unique<HeadlessGroupBox>(host, control);
    case ControlKind::kStatic:
      return std::make_unique<HeadlessStaticText>(host, control);
    case ControlKind::kPushButton:
    case ControlKind::kDefaultPushButton:
      return std::make_unique<HeadlessPushButton>(host, control);
    case ControlKind::kEditBox:
      return std::make_unique<HeadlessEditBox>(host, control);
    case ControlKind::kDropDownList:
      return std::make_unique<HeadlessDropDownList>(host, control);
  }
  return std::make_unique<HeadlessStaticText>(host, control);
}

}  // namespace zelvo::platform::ui
