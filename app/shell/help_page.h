#pragma once

#include <string>

namespace zelvo {

// The program's help is one HTML page, installed beside the program's other shared files:
// <prefix>/share/zelvogdb/help.html for the program <prefix>/bin/zelvogdb-setup (the build tree
// has the same layout).
inline constexpr const char* kHelpPageName = "help.html";

// Where the help page lies for the program at `executable_path`; empty when that is empty.
std::string HelpPagePath(const std::string& executable_path);

// The help page's anchors, one per topic.
inline constexpr const char* kHelpTopicContents = "";
inline constexpr const char* kHelpTopicUsingHelp = "using-help";

// A file: URL for `path` (absolute) and `anchor` (none when empty), with the characters a URL
// cannot hold as they are percent-encoded.
std::string FileUrl(const std::string& path, const std::string& anchor);

}  // namespace zelvo
