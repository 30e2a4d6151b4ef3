#include "netsetup/ip_address.h"

#include <cstddef>

namespace zelvo {

uint32_t ParseIpAddress(std::string_view text) {
  uint32_t value = 0;
  int groups = 0;
  size_t position = 0;
  for (;;) {
    uint32_t number = 0;
    int digits = 0;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
      if (++digits > 3) return kInvalidIpAddress;
      number = number * 10 + static_cast<uint32_t>(text[position] - '0');
      ++position;
    }
    if (number > 255) return kInvalidIpAddress;
    value = (value << 8) | number;
    ++groups;
    if (position == text.size()) return groups == 4 ? value : kInvalidIpAddress;
    if (text[position] != '.' || groups == 4) return kInvalidIpAddress;
    ++position;  // past the dot
  }
}

}  // namespace zelvo
