#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/exe_dir.h"

namespace zelvo::testing {

// A fresh temporary directory that the program takes as its own while the object lives.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = std::filesystem::temp_directory_path() / "zelvo-firmware-XXXXXX";
    path_ = mkdtemp(pattern.data());
    platform::SetExecutableDirectoryForTesting(path_.string());
  }
  ~ScratchDirectory() {
    platform::SetExecutableDirectoryForTesting("");
    std::filesystem::remove_all(path_);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `content` byte for byte.
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zelvo::testing
