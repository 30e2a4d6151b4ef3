#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zelvo::testing {

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes (write permission is given back first, for tests that take it away).
class TempDirectory {
 public:
  explicit TempDirectory(const std::string& prefix = "zelvo") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // Empty when the directory could not be made.
  const std::filesystem::path& path() const { return path_; }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }
  // Writes `content` byte for byte and returns the file's path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::ofstream(PathOf(name), std::ios::binary) << content;
    return PathOf(name);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zelvo::testing
