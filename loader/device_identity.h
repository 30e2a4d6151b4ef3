#pragma once

#include <cstdint>
#include <string>

namespace zelvo {

// Who the box is, as its loader reports it.
struct DeviceIdentity {
  uint16_t loader_version = 0;    // as reported, not normalised
  uint16_t firmware_version = 0;  // 0 to 255, 0 when none or unrecognised
  uint16_t logic_version = 0;     // 0 to 999, 0 when none or unrecognised
  std::string serial_number;      // 8 or 10 characters
};

// LoaderCheck then ReadIdentity. 0, or -3001, -3002, -3003, kLoaderNotReady, kBadReply; on
// failure nothing in `identity` changes. A reply of neither 15 nor 17 bytes is a success that
// zeroes the versions and keeps the serial number.
int ReadDeviceIdentity(DeviceIdentity& identity);

// The raw versions as stored in the box, brought into range.
uint16_t NormaliseFirmwareVersion(uint16_t raw);
uint16_t NormaliseLogicVersion(uint16_t raw);

// "d.dd" for 1 to 255, else "unknown".
std::string FormatVersion(uint16_t version);
// "ddd" for 1 to 255, else "000".
std::string FormatVersionDigits(uint16_t version);
// "0A1B2C" and the first six characters of the serial number (all of them when fewer).
std::string MacAddressText(const std::string& serial);

}  // namespace zelvo
