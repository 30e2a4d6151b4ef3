#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelvo::bench {

// A temporary directory holding one set of update files of our own making: the firmware
// "ZV9SWDGD.nnn" and the logic files "SWDJED20.nnn" and "SWDJED21.nnn". It is removed with
// everything in it when the object goes.
class UpdateFileSet {
 public:
  UpdateFileSet() = default;
  ~UpdateFileSet();
  UpdateFileSet(const UpdateFileSet&) = delete;
  UpdateFileSet& operator=(const UpdateFileSet&) = delete;

  // Makes the directory and writes the files; false and the reason in `error` on failure.
  bool Write(uint16_t firmware_version, size_t firmware_bytes, uint16_t logic_version,
             std::string& error);

  const std::string& directory() const { return directory_; }
  uint64_t firmware_file_bytes() const { return firmware_file_bytes_; }
  uint64_t firmware_records() const { return firmware_records_; }

 private:
  std::string directory_;
  uint64_t firmware_file_bytes_ = 0;
  uint64_t firmware_records_ = 0;
};

}  // namespace zelvo::bench
