#pragma once

#include <cstdint>
#include <string_view>

namespace zelvo {

// The value ParseIpAddress gives for a text that is not an address. It equals the value of
// "255.255.255.255", so a caller that checks for it rejects that address too.
inline constexpr uint32_t kInvalidIpAddress = 0xFFFFFFFF;

// Dotted IPv4 text to its 32-bit value, the first group in the most significant byte.
//
// The text is exactly four groups separated by '.'. A group is zero to three decimal digits
// ('0' to '9' only) with a value of at most 255; an empty group counts as 0 and leading zeros are
// allowed ("01.02.03.004" is 0x01020304, "..." is 0). Anything else (a fourth digit, a blank, a
// sign, a fifth group, fewer than four groups) gives kInvalidIpAddress. Nothing is trimmed.
//
// Any text, of any length and with any bytes (including zero bytes), is safe: the scan stops at
// the first character that makes the text invalid and never holds more than three digits.
uint32_t ParseIpAddress(std::string_view text);

}  // namespace zelvo
