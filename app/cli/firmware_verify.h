#pragma once

#include <cstdint>

#include "platform/dialog_feedback.h"

namespace zelvo::cli {

enum class VerifyStatus {
  kEqual,         // every programmed byte reads back as the file has it
  kDiffers,       // a byte reads back differently: `address`, `expected`, `actual`
  kFileUnusable,  // the file does not open, or a line of it does not decode
  kReadFailed,    // ReadMemory failed at `address` with `code`
};

struct VerifyOutcome {
  VerifyStatus status = VerifyStatus::kEqual;
  uint32_t address = 0;
  uint8_t expected = 0;
  uint8_t actual = 0;
  int code = 0;
  uint32_t records = 0;  // data records compared
};

// Reads back, over the open loader link, what the firmware update programs from the firmware
// update file of `version`: every data record at its address, padded with 0xFF to whole words
// as it was programmed, in file order, and then the firmware marker. Stops at the first
// difference. Reports "Verifying firmware ...", its percentage by file position
// ("Verifying firmware ... ( n% )") and "Verifying firmware ... passed!" or "... failed!" on
// `status`. A read error of the file raises platform::FileException.
VerifyOutcome VerifyFirmware(uint16_t version, platform::StatusLine& status);

}  // namespace zelvo::cli
