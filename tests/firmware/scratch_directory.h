#pragma once

#include <filesystem>
#include <string>

#include "platform/exe_dir.h"
#include "tests/support/temp_directory.h"

namespace zelvo::testing {

// A fresh temporary directory that the program takes as its own while the object lives.
class ScratchDirectory {
 public:
  ScratchDirectory() { platform::SetExecutableDirectoryForTesting(directory_.path().string()); }
  ~ScratchDirectory() { platform::SetExecutableDirectoryForTesting(""); }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return directory_.path(); }
  // Writes `content` byte for byte.
  void Write(const std::string& name, const std::string& content) const {
    directory_.Write(name, content);
  }

 private:
  TempDirectory directory_{"zelvo-firmware"};
};

}  // namespace zelvo::testing
