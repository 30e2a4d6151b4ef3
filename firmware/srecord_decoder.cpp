#include "firmware/srecord_decoder.h"

namespace zelvo {
namespace {

uint8_t HexDigitValue(char digit) {
  unsigned code = static_cast<unsigned char>(digit);
  if (code < 0x30 || code - 0x30 >= sizeof HexDigitValues) return 0;
  return HexDigitValues[code - 0x30];
}

size_t AddressLength(char type) {
  switch (type) {
    case '1':
      return 2;
    case '2':
      return 3;
    case '3':
      return 4;
    default:
      return 0;
  }
}

}  // namespace

uint8_t HexPairValue(char high, char low) {
  return static_cast<uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
}

int DecodeSRecordLine(std::string line, uint32_t& address, std::span<uint8_t> data) {
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }

  size_t p = line.find('S');
  if (p == std::string::npos || line.size() - p - 1 < 3) return -1;

  char type = line[p + 1];
  size_t byteCount = HexPairValue(line[p + 2], line[p + 3]);
  if (line.size() != p + 2 * byteCount + 5) return -1;

  size_t addressLength = AddressLength(type);
  if (addressLength == 0) return 0;
  if (byteCount < addressLength + 1) return -1;
  size_t dataCount = byteCount - addressLength - 1;
  if (dataCount > data.size()) return -1;

  // The length check above guarantees every pair read below lies inside the line.
  size_t position = p + 4;
  auto nextByte = [&]() {
    uint8_t value = HexPairValue(line[position], line[position + 1]);
    position += 2;
    return value;
  };

  uint8_t sum = static_cast<uint8_t>(byteCount);
  address = 0;
  for (size_t i = 0; i < addressLength; ++i) {
    uint8_t byte = nextByte();
    address = address * 256 + byte;
    sum = static_cast<uint8_t>(sum + byte);
  }
  for (size_t i = 0; i < dataCount; ++i) {
    data[i] = nextByte();
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  uint8_t checksum = nextByte();
  if (static_cast<uint8_t>(sum + checksum) != 0xFF) return -1;
  return static_cast<int>(dataCount);
}

}  // namespace zelvo
