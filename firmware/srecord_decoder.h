#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zelvo {

// Values of the hex digits, indexed by character code minus 0x30 ('0'): '0'-'9' are 0-9, the
// seven characters ':' to '@' are 0, 'A'-'F' are 10-15. Lines are upper-cased before lookup, so
// lower-case digits need no entries.
inline constexpr uint8_t HexDigitValues[23] = {0, 1, 2, 3, 4, 5,  6,  7,  8,  9,  0, 0,
                                               0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15};

// 16 x value of `high` + value of `low`. A character outside the table ('G' to 'Z', punctuation
// below '0', control characters, bytes 0x80 and above) counts as 0, like the table's own
// non-digits; the decoder's length check and checksum are what reject lines that are not clean
// records.
uint8_t HexPairValue(char high, char low);

// Decodes one line of a Motorola S-record file, as read with its line feed, from the first 'S'
// (or 's': the line is upper-cased first) on:
//   > 0  a data record (S1/S2/S3): that many data bytes stored from the start of `data`,
//        `address` set to the record's load address;
//   0    a record of another type whose length is right (its content is not examined and
//        `address` is left alone), or a data record without data bytes;
//   -1   an unusable line: no 'S', fewer than three characters after it, a length other than
//        the byte count calls for (exactly one character, the line feed, after the checksum),
//        a byte count too small for the address and checksum, more data bytes than `data` holds,
//        or a wrong checksum. After -1 the outputs may have been partly written.
// The line of any length or content is handled; nothing is read or written outside the line and
// `data`.
int DecodeSRecordLine(std::string line, uint32_t& address, std::span<uint8_t> data);

}  // namespace zelvo
