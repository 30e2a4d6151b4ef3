#include "netsetup/ip_address.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo {
namespace {

struct ParseCase {
  std::string text;
  uint32_t expected;
};

class ParseIpAddressTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseIpAddressTest, GivesTheAddressOrTheFailureValue) {
  EXPECT_EQ(ParseIpAddress(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseIpAddressTest,
    testing::Values(
        // Valid addresses: first group in the most significant byte.
        ParseCase{"192.168.1.10", 0xC0A8010A}, ParseCase{"0.0.0.0", 0},
        ParseCase{"10.0.0.1", 0x0A000001}, ParseCase{"1.2.3.4", 0x01020304},
        ParseCase{"255.255.255.255", 0xFFFFFFFF},
        // Empty groups count as 0; leading zeros are allowed.
        ParseCase{"...", 0}, ParseCase{"1..2.3", 0x01000203}, ParseCase{".1.2.3", 0x00010203},
        ParseCase{"1.2.3.", 0x01020300}, ParseCase{"01.02.03.004", 0x01020304},
        ParseCase{"000.000.000.255", 0x000000FF},
        // Wrong number of groups.
        ParseCase{"", kInvalidIpAddress}, ParseCase{"1.2.3", kInvalidIpAddress},
        ParseCase{"1.2.3.4.5", kInvalidIpAddress}, ParseCase{"1.2.3.4.", kInvalidIpAddress},
        ParseCase{".1.2.3.4", kInvalidIpAddress}, ParseCase{"....", kInvalidIpAddress},
        // Group values and lengths.
        ParseCase{"256.0.0.1", kInvalidIpAddress}, ParseCase{"1.2.3.256", kInvalidIpAddress},
        ParseCase{"0001.2.3.4", kInvalidIpAddress}, ParseCase{"1.2.3.0004", kInvalidIpAddress},
        ParseCase{"999.1.1.1", kInvalidIpAddress},
        // Anything but digits and dots, nothing trimmed.
        ParseCase{" 1.2.3.4", kInvalidIpAddress}, ParseCase{"10.0.0.1 ", kInvalidIpAddress},
        ParseCase{"1.2 .3.4", kInvalidIpAddress}, ParseCase{"-1.2.3.4", kInvalidIpAddress},
        ParseCase{"+1.2.3.4", kInvalidIpAddress}, ParseCase{"1.2.3.4a", kInvalidIpAddress},
        ParseCase{"0x1.2.3.4", kInvalidIpAddress}, ParseCase{"1,2,3,4", kInvalidIpAddress},
        ParseCase{std::string("1.2.3.4\0", 8), kInvalidIpAddress},
        ParseCase{std::string("1.2\0.3.4", 8), kInvalidIpAddress},
        ParseCase{"1.2.3.\xB9", kInvalidIpAddress}));

TEST(ParseIpAddressLongTextTest, LongDigitRunsAreRejectedWithoutOverflow) {
  // A run of digits far longer than any 32-bit value could hold.
  EXPECT_EQ(ParseIpAddress(std::string(100000, '9')), kInvalidIpAddress);
  EXPECT_EQ(ParseIpAddress("1.2.3." + std::string(100000, '0')), kInvalidIpAddress);
  // Many groups.
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "1.";
  EXPECT_EQ(ParseIpAddress(many), kInvalidIpAddress);
  EXPECT_EQ(ParseIpAddress(std::string(100000, '.')), kInvalidIpAddress);
}

TEST(ParseIpAddressLongTextTest, EveryByteOutsideDigitsAndDotIsRejected) {
  for (int c = 0; c < 256; ++c) {
    if ((c >= '0' && c <= '9') || c == '.') continue;
    std::string text = "1.2.3.4";
    text.insert(text.begin() + 3, static_cast<char>(c));
    EXPECT_EQ(ParseIpAddress(text), kInvalidIpAddress) << "byte " << c;
  }
}

}  // namespace
}  // namespace zelvo
