#include "logic/ues_bit_string.h"

#include <cstdint>

namespace zelvo {

std::string UesBitString(const std::string& uesText) {
  std::string bits;
  bits.reserve(kUesBitLength);
  for (size_t k = 0; k < kUesCharacters; ++k) {
    const uint8_t code = k < uesText.size() ? static_cast<uint8_t>(uesText[k]) : 0;
    for (int bit = 7; bit >= 0; --bit) bits.push_back(((code >> bit) & 1) != 0 ? '1' : '0');
  }
  return bits;
}

}  // namespace zelvo
