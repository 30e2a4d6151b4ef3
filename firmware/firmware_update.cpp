#include "firmware/firmware_update.h"

#include <array>

#include "firmware/srecord_decoder.h"
#include "firmware/update_files.h"
#include "loader/loader_commands.h"
#include "platform/text_file.h"

namespace zelvo {
namespace {

constexpr const char* kTextErasing = "Firmware: Erasing Flash ...";
constexpr const char* kTextEraseFailed = "Firmware: Erasing Flash ... failed!";
constexpr const char* kTextProgramming = "Firmware: Programming Flash ...";
constexpr const char* kTextProgress = "Firmware: Programming Flash ... ( %u%% )";
constexpr const char* kTextProgrammingFailed = "Firmware: Programming Flash ... failed!";
constexpr const char* kTextProgrammingPassed = "Firmware: Programming Flash ... passed!";

// One read takes at most this many characters of a line.
constexpr size_t kLineChars = 255;

uint16_t lastProgressPercent = 0;

// The format with "%u" replaced by `value` and "%%" by '%'; any other '%' stays as it is, so no
// text can make the formatting read arguments that are not there.
std::string FormatPercent(const std::string& format, unsigned value) {
  std::string text;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 'u') {
        text += std::to_string(value);
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        text += '%';
        ++i;
        continue;
      }
    }
    text += format[i];
  }
  return text;
}

}  // namespace

uint16_t LastProgressPercent() {
  return lastProgressPercent;
}

void ResetLastProgressPercentForTesting() {
  lastProgressPercent = 0;
}

void ShowProgressPercent(uint64_t length, uint64_t position, const std::string& format,
                         platform::StatusLine& status) {
  uint16_t percent = static_cast<uint16_t>(length == 0 ? 100 : position * 100 / length);
  if (percent == lastProgressPercent) return;
  lastProgressPercent = percent;
  status.SetText(FormatPercent(format, percent));
}

int EraseAllFlash() {
  for (uint32_t sector : AllFlashSectors) {
    int result = EraseFlashSector(sector);
    if (result != 0) return result;
  }
  return 0;
}

int UpdateFirmware(uint16_t version, platform::StatusLine& status) {
  platform::TextFile file;  // closes the file on every way out, an exception included
  if (!file.Open(UpdateFilePath(kFirmwareStem, version))) return kUpdateFileUnusable;
  const uint64_t length = file.GetLength();

  status.SetText(kTextErasing);
  for (uint32_t sector : FirmwareSectors) {
    int result = EraseFlashSector(sector);
    if (result != 0) {
      status.SetText(kTextEraseFailed);
      return result;
    }
  }

  status.SetText(kTextProgramming);
  int result = 0;
  std::string line;
  std::array<uint8_t, 256> data{};
  while (file.ReadString(line, kLineChars)) {
    uint32_t address = 0;
    int count = DecodeSRecordLine(line, address, data);
    if (count > 0) {
      // Pad to whole words. A record carries at most 252 data bytes, so the padding stays inside
      // the buffer.
      size_t padded = static_cast<size_t>(count);
      while (padded % 4 != 0 && padded < data.size()) data[padded++] = 0xFF;
      result = ProgramFlash(address, static_cast<uint16_t>(padded), data.data());
      if (result != 0) status.SetText(kTextProgrammingFailed);
    } else if (count < 0) {
      result = kUpdateFileUnusable;
    }
    ShowProgressPercent(length, file.GetPosition(), kTextProgress, status);
    if (result != 0) break;
  }

  // A file that was cut short or written over while it was read has not been programmed as a
  // whole (its end may just have come early): no marker for it, so the box never starts it.
  if (result == 0 && file.ChangedSinceOpen()) result = kUpdateFileUnusable;
  if (result == 0) {
    result = ProgramFlash(kFirmwareMarkerAddress, sizeof FirmwareMarker, FirmwareMarker);
    status.SetText(result == 0 ? kTextProgrammingPassed : kTextProgrammingFailed);
  } else {
    status.SetText(kTextProgrammingFailed);
  }
  return result;
}

}  // namespace zelvo
