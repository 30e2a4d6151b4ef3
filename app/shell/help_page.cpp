#include "app/shell/help_page.h"

#include <cstdio>
#include <filesystem>

namespace zelvo {

std::string HelpPagePath(const std::string& executable_path) {
  if (executable_path.empty()) return {};
  const std::filesystem::path program(executable_path);
  return (program.parent_path().parent_path() / "share" / "zelvogdb" / kHelpPageName)
      .lexically_normal()
      .string();
}

std::string FileUrl(const std::string& path, const std::string& anchor) {
  std::string url = "file://";
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      url += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      url += escaped;
    }
  }
  if (!anchor.empty()) url += "#" + anchor;
  return url;
}

}  // namespace zelvo
