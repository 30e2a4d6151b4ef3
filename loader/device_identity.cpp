#include "loader/device_identity.h"

#include "loader/command_content.h"
#include "loader/loader_commands.h"

namespace zelvo {

uint16_t NormaliseFirmwareVersion(uint16_t raw) {
  uint16_t v = raw;
  if (v >= 0xC000) v = static_cast<uint16_t>(v + 0x4000);
  v = static_cast<uint16_t>(v - 0x3000);
  return v > 255 ? 0 : v;
}

uint16_t NormaliseLogicVersion(uint16_t raw) {
  uint16_t v = static_cast<uint16_t>(raw - 14000);
  return v > 999 ? 0 : v;
}

int ReadDeviceIdentity(DeviceIdentity& identity) {
  int rc = LoaderCheck();
  if (rc != 0) return rc;
  int length = 0;
  rc = ReadIdentity(length);
  if (rc != 0) return rc;
  if (length != 15 && length != 17) {
    identity.loader_version = 0;
    identity.firmware_version = 0;
    identity.logic_version = 0;
    return 0;
  }
  loader_detail::Reply reply;
  if (reply.Byte() != 'd') return kBadReply;
  identity.loader_version = reply.Word();
  identity.firmware_version = NormaliseFirmwareVersion(reply.Word());
  identity.logic_version = NormaliseLogicVersion(reply.Word());
  identity.serial_number = reply.Text(static_cast<size_t>(length) - 7);
  return 0;
}

std::string FormatVersion(uint16_t version) {
  if (version == 0 || version > 255) return "unknown";
  return {static_cast<char>('0' + version / 100), '.', static_cast<char>('0' + version / 10 % 10),
          static_cast<char>('0' + version % 10)};
}

std::string FormatVersionDigits(uint16_t version) {
  if (version == 0 || version > 255) return "000";
  return {static_cast<char>('0' + version / 100), static_cast<char>('0' + version / 10 % 10),
          static_cast<char>('0' + version % 10)};
}

std::string MacAddressText(const std::string& serial) {
  return "0A1B2C" + serial.substr(0, 6);
}

}  // namespace zelvo
