#include "bench/update_file_set.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "tools/update_images.h"

namespace zelvo::bench {

UpdateFileSet::~UpdateFileSet() {
  if (directory_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

bool UpdateFileSet::Write(uint16_t firmware_version, size_t firmware_bytes, uint16_t logic_version,
                          std::string& error) {
  if (directory_.empty()) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "zelvo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      error = "cannot make a directory like " + pattern;
      return false;
    }
    directory_ = pattern;
  }

  tools::FirmwareImageOptions options;
  options.version = firmware_version;
  options.size = firmware_bytes;
  std::optional<tools::FirmwareImage> image = tools::MakeFirmwareImage(options, &error);
  if (!image) return false;
  if (!tools::WriteUpdateFile(directory_, tools::UpdateFileName("ZV9SWDGD", firmware_version),
                              image->text, &error)) {
    return false;
  }
  firmware_file_bytes_ = image->text.size();
  // Every line but the S0 header and the end record carries data.
  uint64_t lines = static_cast<uint64_t>(std::count(image->text.begin(), image->text.end(), '\n'));
  firmware_records_ = lines >= 2 ? lines - 2 : 0;

  for (const char* stem : {"SWDJED20", "SWDJED21"}) {
    tools::LogicImage logic = tools::MakeLogicImage(stem, logic_version);
    if (!tools::WriteUpdateFile(directory_, tools::UpdateFileName(stem, logic_version), logic.text,
                                &error)) {
      return false;
    }
  }
  return true;
}

}  // namespace zelvo::bench
