#include "app/shell/wx_shell_text.h"

#include "platform/ui/wx_text.h"

namespace zelvo::shell {

wxString PathToWx(const std::string& path) {
  return wxString(path.c_str(), *wxConvFileName);
}

std::string PathFromWx(const wxString& path) {
  const wxCharBuffer bytes = path.mb_str(*wxConvFileName);
  return bytes.data() != nullptr ? std::string(bytes.data()) : std::string();
}

wxString MessageToWx(const std::string& text) {
  const wxString utf8 = wxString::FromUTF8(text.c_str(), text.size());
  if (!utf8.empty() || text.empty()) return utf8;
  return platform::ui::ToWxString(text);
}

}  // namespace zelvo::shell
