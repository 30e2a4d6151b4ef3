#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo {

// Where the box keeps its network setup record: a flash sector of its own.
inline constexpr uint32_t kSetupBlockAddress = 0x01008000;
inline constexpr size_t kSetupBlockSize = 104;
// The longest configuration file name the record holds; a longer one is cut to this length.
inline constexpr size_t kMaxConfigFileNameLength = 79;

// WriteSetupBlock: the record read back from the box differs from the one written.
inline constexpr int kSetupVerifyFailed = -4008;

// The box's network setup record, byte for byte as it lies in flash (numbers big-endian):
//   0-5    MAC address: 0A 1B 2C, then three bytes from the first six serial-number characters
//   6-7    FF FF
//   8-11   box IP address
//   12-15  subnet mask
//   16-19  default gateway
//   20-23  configuration host IP address
//   24-103 configuration file name, at most 79 characters, then zero bytes up to offset 103
struct SetupBlock {
  std::array<uint8_t, kSetupBlockSize> bytes{};

  bool operator==(const SetupBlock&) const = default;
};

// The five texts of the dialog's network fields, as they are after its data exchange.
struct SetupTexts {
  std::string config_host_ip;
  std::string box_ip;
  std::string subnet_mask;
  std::string default_gateway;
  std::string config_file_name;
};

// One MAC byte from two serial-number characters: ((a - 0x30) * 16 + (b - 0x30)) modulo 256, so a
// pair of decimal digits reads as two hexadecimal digits ("12" gives 0x12).
uint8_t MacByte(char a, char b);

// Builds the record from the box's serial-number text and the five texts.
//
// - MAC bytes 3 to 5 come from serial-number characters 1-2, 3-4 and 5-6. A serial number with
//   fewer than six characters (the identity query may succeed without one) counts each missing
//   character as '0': "" gives 00 00 00, "1234" gives 12 34 00, "12345" gives 12 34 50.
//   Characters after the sixth are not used.
// - Each address is ParseIpAddress of its text; a text that does not parse is stored as
//   FF FF FF FF. Addresses are not checked here.
// - The file name's first 79 characters (all of them when shorter) follow at offset 24; every
//   byte after them up to offset 103 is zero, so the name always ends in a zero byte and the
//   record's content is fully defined. A zero byte inside the name ends it early for the box,
//   exactly as it is written.
SetupBlock BuildSetupBlock(std::string_view serial_number, const SetupTexts& texts);

// Writes the record into the box and verifies it, through the open loader link:
//  1. ReadDeviceIdentity for the serial number (on failure nothing is erased);
//  2. builds the record;
//  3. EraseFlashSector(kSetupBlockAddress);
//  4. ProgramFlash of the 104 bytes at kSetupBlockAddress with one request;
//  5. ReadMemory of the 104 bytes back with one request;
//  6. compares: any difference gives kSetupVerifyFailed.
// Returns 0 or the code of the first step that failed. Shows nothing. A failure after the erase
// leaves the sector erased or partly written.
int WriteSetupBlock(const std::string& config_host_ip, const std::string& box_ip,
                    const std::string& subnet_mask, const std::string& default_gateway,
                    const std::string& config_file_name);

}  // namespace zelvo
