#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvo::tools {

// Update files of our own making, for tests and the demo: a firmware image in Motorola S-record
// text and logic fuse maps in JEDEC text, filled with deterministic pseudo-random contents so
// that every version differs from every other.

// Where firmware data start: the four bytes before, at the start of the first firmware sector,
// stay unprogrammed for the marker that the update writes last.
inline constexpr uint32_t kFirmwareDataAddress = 0x01040004;
// The word at kFirmwareDataAddress (big-endian) is this plus the version; the simulated box
// reports it as its firmware version once the marker is present.
inline constexpr uint16_t kFirmwareVersionWordBase = 0x3000;
inline constexpr size_t kDefaultFirmwareBytes = 200 * 1024;
inline constexpr size_t kMaxFirmwareBytes = 16 * 1024 * 1024;

struct FirmwareImageOptions {
  uint16_t version = 1;  // 0 to 999
  // Data bytes, the version word included: at least 2, at most kMaxFirmwareBytes.
  size_t size = kDefaultFirmwareBytes;
  // Data bytes per record: a multiple of 4, from 4 to 120, so that every record starts on a
  // word (its padding never reaches into the next sector) and every line, line end included,
  // stays within 255 characters. Records are cut short where they would cross the start of one
  // of the box's flash sectors.
  size_t record_bytes = 32;
  // '1', '2' or '3': S1, S2 or S3 data records (16-, 24- or 32-bit addresses), with an S9, S8
  // or S7 end record. The whole image must lie within the record type's address range.
  char record_type = '3';
  uint32_t address = kFirmwareDataAddress;  // where the data start; a multiple of 4
  bool crlf = false;                        // CR LF line ends instead of LF
};

struct FirmwareImage {
  std::string text;           // the file's content: S0 header, data records, end record
  uint32_t address = 0;       // where `data` start
  std::vector<uint8_t> data;  // the bytes the data records carry, in address order
};

// Why the options cannot give an image, or empty when they can.
std::string CheckFirmwareImageOptions(const FirmwareImageOptions& options);

// The image for the options, or nullopt (and the reason in `error`, when given) when
// CheckFirmwareImageOptions finds fault with them.
std::optional<FirmwareImage> MakeFirmwareImage(const FirmwareImageOptions& options,
                                               std::string* error = nullptr);

inline constexpr int kLogicRows = 134;
inline constexpr int kLogicRowFuses = 240;

struct LogicImage {
  std::string text;               // the file's content
  std::vector<std::string> rows;  // kLogicRows rows of kLogicRowFuses characters '0'/'1'
};

// A JEDEC fuse map for `stem` and `version` (0 to 999): a design-name line and the fields
// "*QP44", "*QF32160", "*G0", "*F0", then the header line "*L00000" and each row as four lines
// of 60 fuses, then the fuse checksum "*Cxxxx" and the closing "*". No STX or ETX. The fuses
// depend on both stem and version.
LogicImage MakeLogicImage(const std::string& stem, uint16_t version, bool crlf = false);

// stem + '.' + the version as three digits ("ZV9SWDGD.105").
std::string UpdateFileName(const std::string& stem, uint16_t version);

// Writes `text` as it stands to directory/name, creating the directory when needed. false (and
// the reason in `error`, when given) on failure.
bool WriteUpdateFile(const std::string& directory, const std::string& name, const std::string& text,
                     std::string* error = nullptr);

}  // namespace zelvo::tools
