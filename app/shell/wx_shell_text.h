#pragma once

#include <string>

#include <wx/string.h>

namespace zelvo::shell {

// Paths are the file system's bytes; the toolkit holds them in its file-name encoding.
wxString PathToWx(const std::string& path);
std::string PathFromWx(const wxString& path);

// A message for the user that may hold a path: UTF-8 where it is valid UTF-8, else each byte as
// the Latin-1 character of the same number (the dialog's texts).
wxString MessageToWx(const std::string& text);

}  // namespace zelvo::shell
