#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog_feedback.h"

namespace zelvo {

// The firmware update file cannot be opened (a version outside 1 to 255 included), or one of
// its lines is not a usable S-record line.
inline constexpr int kUpdateFileUnusable = -4003;

// The flash sectors that the firmware update erases, in order.
inline constexpr uint32_t FirmwareSectors[3] = {0x01040000, 0x01080000, 0x010C0000};
// Every flash sector the program knows, in the order the flash erase takes them; the first holds
// the network setup record.
inline constexpr uint32_t AllFlashSectors[6] = {0x01008000, 0x0100C000, 0x01010000,
                                                0x01040000, 0x01080000, 0x010C0000};
// Programmed at the start of the first firmware sector once every record of a file is in
// flash; the box starts only a firmware that carries it.
inline constexpr uint8_t FirmwareMarker[4] = {0xAA, 0x55, 0x55, 0xAA};
inline constexpr uint32_t kFirmwareMarkerAddress = 0x01040000;

// Writes the firmware update file of `version` (firmware/update_files.h) into the box's flash
// over the open loader link: erases FirmwareSectors, programs every data record in file order
// (each padded with 0xFF to a multiple of four bytes), then programs FirmwareMarker. Reports on
// `status`:
//   "Firmware: Erasing Flash ..."            once the file is open
//   "Firmware: Erasing Flash ... failed!"    an erase failed
//   "Firmware: Programming Flash ..."        all sectors erased
//   "Firmware: Programming Flash ... ( n% )" after a line that brought a new percentage
//   "Firmware: Programming Flash ... failed!" / "... passed!"  the outcome
// Returns 0, kUpdateFileUnusable (nothing set, nothing sent when the file does not open; and,
// without the marker, when the file changed in place while it was read, see
// TextFile::ChangedSinceOpen), or the code of the failing EraseFlashSector / ProgramFlash. A read
// error raises platform::FileException; the file is closed on the way out.
int UpdateFirmware(uint16_t version, platform::StatusLine& status);

// Erases AllFlashSectors in order; 0, or the code of the first erase that failed (the later
// sectors are left alone). Sets no text.
int EraseAllFlash();

// Shows `format` with position x 100 / length (whole percent, as 16 bits) in place of its "%u"
// ("%%" gives a percent sign), unless that percentage is LastProgressPercent(), and records it
// there. An empty file counts as complete (100).
void ShowProgressPercent(uint64_t length, uint64_t position, const std::string& format,
                         platform::StatusLine& status);

// The percentage last shown by ShowProgressPercent: one value for the whole process, 0 at start,
// kept from one update to the next.
uint16_t LastProgressPercent();
// Back to 0, as at the start of the process.
void ResetLastProgressPercentForTesting();

}  // namespace zelvo
