// ParseIpAddress on any text, against an independent reading of the dotted-address rules.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "netsetup/ip_address.h"

namespace zelvo::fuzz {
namespace {

// Four groups of at most three decimal digits, each at most 255 (an empty group is 0), separated
// by single dots, nothing else: the value, or nullopt for any other text.
std::optional<uint32_t> ReferenceAddress(std::string_view text) {
  uint32_t value = 0;
  int groups = 0;
  size_t at = 0;
  for (;;) {
    unsigned number = 0;
    int digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      if (++digits > 3) return std::nullopt;
      number = number * 10 + static_cast<unsigned>(text[at] - '0');
      ++at;
    }
    if (number > 255) return std::nullopt;
    value = value * 256 + number;
    ++groups;
    if (at == text.size()) return groups == 4 ? std::optional<uint32_t>(value) : std::nullopt;
    if (text[at] != '.' || groups == 4) return std::nullopt;
    ++at;
  }
}

std::string Dotted(uint32_t value) {
  return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xFF) + "." +
         std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

}  // namespace
}  // namespace zelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelvo;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  uint32_t parsed = ParseIpAddress(text);
  std::optional<uint32_t> expected = fuzz::ReferenceAddress(text);
  ZELVO_FUZZ_CHECK(parsed == expected.value_or(kInvalidIpAddress));
  if (expected) {
    // A valid text means the same address as its canonical spelling.
    ZELVO_FUZZ_CHECK(ParseIpAddress(fuzz::Dotted(parsed)) == parsed);
    // A blank on either side spoils it: nothing is trimmed.
    ZELVO_FUZZ_CHECK(ParseIpAddress(" " + std::string(text)) == kInvalidIpAddress);
    ZELVO_FUZZ_CHECK(ParseIpAddress(std::string(text) + " ") == kInvalidIpAddress);
  }
  return 0;
}
