#pragma once

#include <string>

#include <wx/string.h>

namespace zelvo::platform::ui {

// The program's texts are single-byte strings in the Latin-1 code page: each byte is the
// character of the same number. A character beyond it becomes '?' on the way back.
wxString ToWxString(const std::string& text);
std::string FromWxString(const wxString& text);

}  // namespace zelvo::platform::ui
