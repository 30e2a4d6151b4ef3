// DecodeSRecordLine on any line, against an independent reading of the record rules, with data
// buffers of every size up to the 256 bytes the firmware update supplies.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "firmware/srecord_decoder.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"

namespace zelvo::fuzz {
namespace {

constexpr uint8_t kUntouched = 0xA5;
constexpr size_t kGuardBytes = 32;
constexpr uint32_t kAddressBefore = 0xDEADBEEF;

struct Decoded {
  int result = -1;
  bool data_record = false;  // of type 1, 2 or 3, with a right length
  uint32_t address = kAddressBefore;
  std::vector<uint8_t> data;
};

// A hex digit's value after upper-casing: '0'-'9' and 'A'-'F' as usual, every other character 0.
unsigned DigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 0;
}

Decoded Reference(const std::string& original, size_t capacity) {
  std::string line = original;
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  Decoded out;
  size_t p = 0;
  while (p < line.size() && line[p] != 'S') ++p;
  if (p == line.size() || line.size() - p < 4) return out;
  auto pair = [&](size_t at) {
    return static_cast<uint8_t>(DigitValue(line[at]) * 16 + DigitValue(line[at + 1]));
  };
  size_t count = pair(p + 2);
  if (line.size() != p + 4 + 2 * count + 1) return out;
  size_t address_length = line[p + 1] == '1'   ? 2
                          : line[p + 1] == '2' ? 3
                          : line[p + 1] == '3' ? 4
                                               : 0;
  if (address_length == 0) {
    out.result = 0;
    return out;
  }
  out.data_record = true;
  if (count < address_length + 1) return out;
  size_t data_count = count - address_length - 1;
  if (data_count > capacity) return out;
  unsigned sum = static_cast<unsigned>(count);
  uint32_t address = 0;
  size_t at = p + 4;
  for (size_t i = 0; i < address_length; ++i, at += 2) {
    address = (address << 8) | pair(at);
    sum += pair(at);
  }
  for (size_t i = 0; i < data_count; ++i, at += 2) {
    out.data.push_back(pair(at));
    sum += pair(at);
  }
  if (((sum + pair(at)) & 0xFF) != 0xFF) return out;
  out.result = static_cast<int>(data_count);
  out.address = address;
  return out;
}

}  // namespace
}  // namespace zelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelvo;
  fuzz::FuzzInput input(data, size);
  // First byte: the data buffer's size; 0 stands for the firmware update's 256 bytes.
  uint8_t selector = input.Byte();
  size_t capacity = selector == 0 ? 256 : selector % 130;
  std::string line = input.Rest();

  std::vector<uint8_t> buffer(capacity + fuzz::kGuardBytes, fuzz::kUntouched);
  uint32_t address = fuzz::kAddressBefore;
  int result = DecodeSRecordLine(line, address, std::span<uint8_t>(buffer.data(), capacity));
  fuzz::Decoded expected = fuzz::Reference(line, capacity);

  ZELVO_FUZZ_CHECK(result >= -1 && result <= static_cast<int>(capacity));
  ZELVO_FUZZ_CHECK(result == expected.result);
  for (size_t i = capacity; i < buffer.size(); ++i) ZELVO_FUZZ_CHECK(buffer[i] == fuzz::kUntouched);
  if (result >= 0 && expected.data_record) {
    ZELVO_FUZZ_CHECK(address == expected.address);
    ZELVO_FUZZ_CHECK(std::equal(expected.data.begin(), expected.data.end(), buffer.begin()));
  }
  if (result == 0 && !expected.data_record) {
    // A record of another type is not looked into: the address stays as it was.
    ZELVO_FUZZ_CHECK(address == fuzz::kAddressBefore);
  }
  return 0;
}
