#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zelvo::testing {

// A well-formed S-record line of `type` with `addressBytes` address bytes, upper-case hex,
// ended by a line feed.
inline std::string SRecord(char type, int addressBytes, uint32_t address,
                           const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(addressBytes + data.size() + 1)};
  for (int i = addressBytes - 1; i >= 0; --i) {
    bytes.push_back(static_cast<uint8_t>(address >> 8 * i));
  }
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (uint8_t b : bytes) sum += b;
  bytes.push_back(static_cast<uint8_t>(~sum));
  std::string line = {'S', type};
  for (uint8_t b : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", b);
    line += pair;
  }
  return line + "\n";
}

// An S3 data record.
inline std::string S3(uint32_t address, const std::vector<uint8_t>& data) {
  return SRecord('3', 4, address, data);
}

}  // namespace zelvo::testing
