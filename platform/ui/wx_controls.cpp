#include "platform/ui/wx_controls.h"

#include <algorithm>

#include "platform/ui/typing_limit.h"

namespace zelvo::platform::ui {

WxEditBox::WxEditBox(WxControlHost& host, int id, wxTextCtrl* widget)
    : WxControl(host, id, widget) {
  widget->Bind(wxEVT_TEXT, &WxEditBox::OnTextChanged, this);
}

void WxEditBox::SetWindowText(const std::string& text) {
  shown_ = text;
  widget()->ChangeValue(ToWxString(text));  // no text event: this is not the user's edit
  host().ShowNow();
}

std::string WxEditBox::GetWindowText() const {
  return FromWxString(widget()->GetValue());
}

void WxEditBox::OnTextChanged(wxCommandEvent& event) {
  event.Skip();
  if (correcting_) return;
  const std::string typed = FromWxString(widget()->GetValue());
  const std::string kept = ApplyTypingLimit(shown_, typed, limit_);
  if (kept != typed) {
    const long cut = static_cast<long>(typed.size() - kept.size());
    const long caret = std::max(0L, widget()->GetInsertionPoint() - cut);
    correcting_ = true;
    widget()->ChangeValue(ToWxString(kept));
    widget()->SetInsertionPoint(caret);
    correcting_ = false;
  }
  shown_ = kept;
}

void WxDropDownList::SetWindowText(const std::string& text) {
  const int index = widget()->FindString(ToWxString(text), true);
  SetCurSel(index);
}

std::string WxDropDownList::GetWindowText() const {
  return GetLBText(GetCurSel());
}

int WxDropDownList::AddString(const std::string& entry) {
  return widget()->Append(ToWxString(entry));
}

int WxDropDownList::GetCount() const {
  return static_cast<int>(widget()->GetCount());
}

std::string WxDropDownList::GetLBText(int index) const {
  if (index < 0 || index >= GetCount()) return "";
  return FromWxString(widget()->GetString(static_cast<unsigned int>(index)));
}

int WxDropDownList::GetCurSel() const {
  const int selection = widget()->GetSelection();
  return selection == wxNOT_FOUND ? -1 : selection;
}

bool WxDropDownList::SetCurSel(int index) {
  const bool valid = index >= 0 && index < GetCount();
  widget()->SetSelection(valid ? index : wxNOT_FOUND);
  host().ShowNow();
  return valid;
}

}  // namespace zelvo::platform::ui
