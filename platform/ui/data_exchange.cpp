#include "platform/ui/data_exchange.h"

#include <string>

namespace zelvo::platform::ui {

void DataExchange::CBIndex(int id, int& index) {
  if (failed_) return;
  DropDownList* list = window_.FindList(id);
  last_control_ = list;
  last_text_ = nullptr;
  if (list == nullptr) {
    failed_ = true;
    return;
  }
  if (from_controls()) {
    index = list->GetCurSel();
  } else {
    list->SetCurSel(index);
  }
}

void DataExchange::Text(int id, std::string& value) {
  if (failed_) return;
  Control* control = window_.FindControl(id);
  last_control_ = control;
  last_text_ = nullptr;
  if (control == nullptr) {
    failed_ = true;
    return;
  }
  if (from_controls()) {
    value = control->GetWindowText();
  } else {
    control->SetWindowText(value);
  }
  last_text_ = &value;
}

void DataExchange::MaxChars(size_t max_chars) {
  if (failed_ || last_text_ == nullptr) return;
  if (from_controls()) {
    if (last_text_->size() <= max_chars) return;
    window_.MessageBox("Please enter no more than " + std::to_string(max_chars) + " characters.",
                       kApplicationTitle, MessageIcon::kExclamation, MessageButtons::kOk);
    Fail();
  } else if (auto* edit = dynamic_cast<EditBox*>(last_control_)) {
    edit->SetLimitText(max_chars);
  }
}

void DataExchange::Fail() {
  failed_ = true;
  if (!from_controls()) return;
  if (auto* edit = dynamic_cast<EditBox*>(last_control_)) edit->SetFocus();
}

}  // namespace zelvo::platform::ui
