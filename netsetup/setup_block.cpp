#include "netsetup/setup_block.h"

#include <algorithm>

#include "loader/device_identity.h"
#include "loader/loader_commands.h"
#include "netsetup/ip_address.h"

namespace zelvo {
namespace {

constexpr size_t kMacOffset = 0;
constexpr size_t kBoxIpOffset = 8;
constexpr size_t kSubnetMaskOffset = 12;
constexpr size_t kDefaultGatewayOffset = 16;
constexpr size_t kConfigHostIpOffset = 20;
constexpr size_t kConfigFileNameOffset = 24;

void PutAddress(SetupBlock& block, size_t offset, uint32_t address) {
  block.bytes[offset] = static_cast<uint8_t>(address >> 24);
  block.bytes[offset + 1] = static_cast<uint8_t>(address >> 16);
  block.bytes[offset + 2] = static_cast<uint8_t>(address >> 8);
  block.bytes[offset + 3] = static_cast<uint8_t>(address);
}

// The serial-number character at `index`, '0' where the text is too short.
char SerialCharacter(std::string_view serial_number, size_t index) {
  return index < serial_number.size() ? serial_number[index] : '0';
}

}  // namespace

uint8_t MacByte(char a, char b) {
  unsigned high = static_cast<unsigned char>(a) - 0x30u;
  unsigned low = static_cast<unsigned char>(b) - 0x30u;
  return static_cast<uint8_t>(high * 16u + low);
}

SetupBlock BuildSetupBlock(std::string_view serial_number, const SetupTexts& texts) {
  SetupBlock block;  // all zero: the name's padding
  block.bytes[kMacOffset] = 0x0A;
  block.bytes[kMacOffset + 1] = 0x1B;
  block.bytes[kMacOffset + 2] = 0x2C;
  for (size_t pair = 0; pair < 3; ++pair) {
    block.bytes[kMacOffset + 3 + pair] = MacByte(SerialCharacter(serial_number, 2 * pair),
                                                 SerialCharacter(serial_number, 2 * pair + 1));
  }
  block.bytes[6] = 0xFF;
  block.bytes[7] = 0xFF;
  PutAddress(block, kBoxIpOffset, ParseIpAddress(texts.box_ip));
  PutAddress(block, kSubnetMaskOffset, ParseIpAddress(texts.subnet_mask));
  PutAddress(block, kDefaultGatewayOffset, ParseIpAddress(texts.default_gateway));
  PutAddress(block, kConfigHostIpOffset, ParseIpAddress(texts.config_host_ip));
  size_t name_length = std::min(texts.config_file_name.size(), kMaxConfigFileNameLength);
  std::copy_n(texts.config_file_name.begin(), name_length,
              block.bytes.begin() + kConfigFileNameOffset);
  return block;
}

int WriteSetupBlock(const std::string& config_host_ip, const std::string& box_ip,
                    const std::string& subnet_mask, const std::string& default_gateway,
                    const std::string& config_file_name) {
  DeviceIdentity identity;
  if (int code = ReadDeviceIdentity(identity); code != 0) return code;

  SetupBlock block = BuildSetupBlock(
      identity.serial_number,
      SetupTexts{config_host_ip, box_ip, subnet_mask, default_gateway, config_file_name});

  if (int code = EraseFlashSector(kSetupBlockAddress); code != 0) return code;
  if (int code = ProgramFlash(kSetupBlockAddress, kSetupBlockSize, block.bytes.data()); code != 0) {
    return code;
  }
  SetupBlock read_back;
  if (int code = ReadMemory(kSetupBlockAddress, kSetupBlockSize, read_back.bytes.data());
      code != 0) {
    return code;
  }
  return read_back == block ? 0 : kSetupVerifyFailed;
}

}  // namespace zelvo
