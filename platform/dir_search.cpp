#include "platform/dir_search.h"

#include <dirent.h>

#include <memory>

namespace zelvo::platform {

bool MatchesNamePattern(const std::string& name, const std::string& pattern) {
  if (name.size() != pattern.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (pattern[i] != '?' && pattern[i] != name[i]) return false;
  }
  return true;
}

std::vector<std::string> FindMatchingEntries(const std::string& searchPath) {
  size_t slash = searchPath.rfind('/');
  std::string directory = slash == std::string::npos ? "." : searchPath.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? searchPath : searchPath.substr(slash + 1);

  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(directory.c_str()), closedir);
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (MatchesNamePattern(name, pattern)) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace zelvo::platform
