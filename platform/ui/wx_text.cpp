#include "platform/ui/wx_text.h"

namespace zelvo::platform::ui {

wxString ToWxString(const std::string& text) {
  wxString result;
  result.reserve(text.size());
  for (char c : text) result += wxUniChar(static_cast<unsigned char>(c));
  return result;
}

std::string FromWxString(const wxString& text) {
  std::string result;
  result.reserve(text.length());
  for (wxUniChar c : text) {
    const wxUniChar::value_type value = c.GetValue();
    result += value <= 0xFF ? static_cast<char>(value) : '?';
  }
  return result;
}

}  // namespace zelvo::platform::ui
