#pragma once

#include <string>

#include "platform/exe_dir.h"
#include "tests/support/temp_directory.h"
#include "tools/update_images.h"

namespace zelvo::testing {

// A directory of update files that the program takes as its own for the test's lifetime.
class UpdateDir {
 public:
  UpdateDir() : path_(directory_.path().string()) {
    platform::SetExecutableDirectoryForTesting(path_);
  }
  ~UpdateDir() { platform::SetExecutableDirectoryForTesting(""); }

  // Writes ZV9SWDGD.<version> with `size` data bytes; returns the image.
  tools::FirmwareImage Firmware(uint16_t version, size_t size = 2048) {
    tools::FirmwareImageOptions options;
    options.version = version;
    options.size = size;
    tools::FirmwareImage image = *tools::MakeFirmwareImage(options);
    Write(tools::UpdateFileName("ZV9SWDGD", version), image.text);
    return image;
  }
  // Writes <stem>.<version>; returns the image.
  tools::LogicImage Logic(uint16_t version, const std::string& stem = "SWDJED20") {
    tools::LogicImage image = tools::MakeLogicImage(stem, version);
    Write(tools::UpdateFileName(stem, version), image.text);
    return image;
  }
  void Write(const std::string& name, const std::string& text) {
    tools::WriteUpdateFile(path_, name, text);
  }
  const std::string& path() const { return path_; }

 private:
  TempDirectory directory_{"zelvo-updates"};
  std::string path_;
};

}  // namespace zelvo::testing
