#include "app/cli/firmware_verify.h"

#include <array>
#include <string>

#include "firmware/firmware_update.h"
#include "firmware/srecord_decoder.h"
#include "firmware/update_files.h"
#include "loader/loader_commands.h"
#include "platform/text_file.h"

namespace zelvo::cli {
namespace {

constexpr const char* kTextVerifying = "Verifying firmware ...";
constexpr const char* kTextPassed = "Verifying firmware ... passed!";
constexpr const char* kTextFailed = "Verifying firmware ... failed!";
// Lines are read as the update reads them, so both see the same records.
constexpr size_t kLineChars = 255;

// Reads `count` bytes at `address` and compares them with `expected`.
VerifyOutcome Compare(uint32_t address, const uint8_t* expected, size_t count) {
  VerifyOutcome outcome;
  std::array<uint8_t, 256> actual{};
  int rc = ReadMemory(address, static_cast<uint16_t>(count), actual.data());
  if (rc != 0) {
    outcome.status = VerifyStatus::kReadFailed;
    outcome.address = address;
    outcome.code = rc;
    return outcome;
  }
  for (size_t i = 0; i < count; ++i) {
    if (actual[i] != expected[i]) {
      outcome.status = VerifyStatus::kDiffers;
      outcome.address = address + static_cast<uint32_t>(i);
      outcome.expected = expected[i];
      outcome.actual = actual[i];
      return outcome;
    }
  }
  return outcome;
}

}  // namespace

VerifyOutcome VerifyFirmware(uint16_t version, platform::StatusLine& status) {
  VerifyOutcome outcome;
  platform::TextFile file;
  if (!file.Open(UpdateFilePath(kFirmwareStem, version))) {
    outcome.status = VerifyStatus::kFileUnusable;
    status.SetText(kTextFailed);
    return outcome;
  }
  status.SetText(kTextVerifying);
  const uint64_t length = file.GetLength();
  int shown_percent = -1;
  uint32_t records = 0;
  std::string line;
  std::array<uint8_t, 256> data{};
  while (file.ReadString(line, kLineChars)) {
    uint32_t address = 0;
    int count = DecodeSRecordLine(line, address, data);
    if (count < 0) {
      outcome.status = VerifyStatus::kFileUnusable;
      break;
    }
    if (count > 0) {
      size_t padded = static_cast<size_t>(count);
      while (padded % 4 != 0 && padded < data.size()) data[padded++] = 0xFF;
      outcome = Compare(address, data.data(), padded);
      if (outcome.status != VerifyStatus::kEqual) break;
      ++records;
    }
    int percent = static_cast<int>(length == 0 ? 100 : file.GetPosition() * 100 / length);
    if (percent != shown_percent) {
      shown_percent = percent;
      status.SetText(std::string(kTextVerifying) + " ( " + std::to_string(percent) + "% )");
    }
  }
  if (outcome.status == VerifyStatus::kEqual) {
    outcome = Compare(kFirmwareMarkerAddress, FirmwareMarker, sizeof FirmwareMarker);
  }
  outcome.records = records;
  status.SetText(outcome.status == VerifyStatus::kEqual ? kTextPassed : kTextFailed);
  return outcome;
}

}  // namespace zelvo::cli
