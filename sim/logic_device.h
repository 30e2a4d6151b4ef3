#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo::sim {

// The box's programmable logic device as its loader reaches it: 134 fuse rows of 240 fuses and
// a 120-fuse user signature, each fuse held as the character '0' (programmed) or '1' (erased).
//
// Programming can only turn fuses from '1' to '0' (the stored fuse is '0' when either the old or
// the new one is '0'); a bulk erase sets every row and the signature back to '1'.
class LogicDevice {
 public:
  static constexpr int kRows = 134;
  static constexpr size_t kRowLength = 240;
  static constexpr size_t kSignatureLength = 120;
  static constexpr uint8_t kDefaultDeviceType = 19;

  LogicDevice();

  // The loader's access to the device: every logic command but the access switch itself needs
  // it (see Box for what a command does without it).
  bool access() const { return access_; }
  void set_access(bool on) { access_ = on; }

  uint8_t device_type() const { return device_type_; }
  void set_device_type(uint8_t type) { device_type_ = type; }

  void Erase();
  // False, with nothing stored, for a row outside 0..133 or fuses that are not exactly 240
  // characters '0'/'1'.
  bool ProgramRow(int row, std::string_view fuses);
  // False, with nothing stored, unless the text is exactly 120 characters '0'/'1'.
  bool WriteSignature(std::string_view fuses);

  // Row `row` (0..133) as stored.
  const std::string& row(int row) const { return rows_[row]; }
  const std::string& signature() const { return signature_; }

  // Stores a row or the signature as it stands, for loading a saved state and preparing tests;
  // the same validity rules as programming, but no AND with the old content.
  bool RestoreRow(int row, std::string_view fuses);
  bool RestoreSignature(std::string_view fuses);

  static bool IsFuseText(std::string_view text, size_t length);

 private:
  std::array<std::string, kRows> rows_;
  std::string signature_;
  uint8_t device_type_ = kDefaultDeviceType;
  bool access_ = false;
};

}  // namespace zelvo::sim
