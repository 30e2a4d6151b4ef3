#include "netsetup/setup_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvo {
namespace {

SetupTexts Texts(std::string file_name = "boot.cfg") {
  return SetupTexts{"10.0.0.2", "192.168.1.10", "255.255.255.0", "192.168.1.1",
                    std::move(file_name)};
}

std::vector<uint8_t> Bytes(const SetupBlock& block, size_t offset, size_t count) {
  return std::vector<uint8_t>(block.bytes.begin() + offset, block.bytes.begin() + offset + count);
}

TEST(SetupBlockTest, LaysOutEveryFieldAtItsOffset) {
  SetupBlock block = BuildSetupBlock("12345678", Texts());
  EXPECT_EQ(Bytes(block, 0, 8),
            (std::vector<uint8_t>{0x0A, 0x1B, 0x2C, 0x12, 0x34, 0x56, 0xFF, 0xFF}));
  EXPECT_EQ(Bytes(block, 8, 4), (std::vector<uint8_t>{0xC0, 0xA8, 0x01, 0x0A}));   // box
  EXPECT_EQ(Bytes(block, 12, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x00}));  // mask
  EXPECT_EQ(Bytes(block, 16, 4), (std::vector<uint8_t>{0xC0, 0xA8, 0x01, 0x01}));  // gateway
  EXPECT_EQ(Bytes(block, 20, 4), (std::vector<uint8_t>{0x0A, 0x00, 0x00, 0x02}));  // host
  EXPECT_EQ(std::string(block.bytes.begin() + 24, block.bytes.begin() + 32), "boot.cfg");
  EXPECT_EQ(Bytes(block, 32, 72), std::vector<uint8_t>(72, 0));
}

struct MacCase {
  std::string serial;
  std::vector<uint8_t> mac_tail;  // bytes 3 to 5
};

class SetupBlockMacTest : public testing::TestWithParam<MacCase> {};

TEST_P(SetupBlockMacTest, MacBytesComeFromTheFirstSixSerialCharacters) {
  SetupBlock block = BuildSetupBlock(GetParam().serial, Texts());
  EXPECT_EQ(Bytes(block, 0, 3), (std::vector<uint8_t>{0x0A, 0x1B, 0x2C}));
  EXPECT_EQ(Bytes(block, 3, 3), GetParam().mac_tail);
}

INSTANTIATE_TEST_SUITE_P(
    Serials, SetupBlockMacTest,
    testing::Values(MacCase{"12345678", {0x12, 0x34, 0x56}},
                    MacCase{"9988776655", {0x99, 0x88, 0x77}},  // ten characters: first six
                    MacCase{"000000", {0x00, 0x00, 0x00}},
                    // Missing characters count as '0'.
                    MacCase{"", {0x00, 0x00, 0x00}}, MacCase{"1", {0x10, 0x00, 0x00}},
                    MacCase{"1234", {0x12, 0x34, 0x00}}, MacCase{"12345", {0x12, 0x34, 0x50}},
                    // Non-digits go through the same arithmetic, modulo 256.
                    MacCase{"AB////", {0x22, 0xEF, 0xEF}},
                    MacCase{"\x01\x01zz", {0xE1, 0xEA, 0x00}}));

TEST(SetupBlockTest, MacByteIsTheArithmeticModulo256) {
  EXPECT_EQ(MacByte('1', '2'), 0x12);
  EXPECT_EQ(MacByte('9', '9'), 0x99);
  EXPECT_EQ(MacByte('0', '/'), 0xFF);        // 0 * 16 - 1
  EXPECT_EQ(MacByte('\0', '\0'), 0xD0);      // -48 * 17 = -816, which is 208 modulo 256
  EXPECT_EQ(MacByte('\xFF', '\xFF'), 0xBF);  // 207 * 17 = 3519: bytes above 0x7F count unsigned
}

TEST(SetupBlockTest, InvalidAddressesAreStoredAsAllOnes) {
  SetupTexts texts{"host", "1.2.3", " 10.0.0.1", "256.0.0.0", ""};
  SetupBlock block = BuildSetupBlock("12345678", texts);
  EXPECT_EQ(Bytes(block, 8, 16), std::vector<uint8_t>(16, 0xFF));
}

struct NameCase {
  size_t length;
  size_t stored;
};

class SetupBlockNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(SetupBlockNameTest, NameIsCutTo79AndPaddedWithZeros) {
  std::string name;
  for (size_t i = 0; i < GetParam().length; ++i) name.push_back(static_cast<char>('a' + i % 26));
  SetupBlock block = BuildSetupBlock("12345678", Texts(name));
  EXPECT_EQ(std::string(block.bytes.begin() + 24, block.bytes.begin() + 24 + GetParam().stored),
            name.substr(0, GetParam().stored));
  for (size_t offset = 24 + GetParam().stored; offset < kSetupBlockSize; ++offset) {
    EXPECT_EQ(block.bytes[offset], 0) << "offset " << offset;
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, SetupBlockNameTest,
                         testing::Values(NameCase{0, 0}, NameCase{1, 1}, NameCase{78, 78},
                                         NameCase{79, 79}, NameCase{80, 79}, NameCase{100, 79},
                                         NameCase{5000, 79}));

}  // namespace
}  // namespace zelvo
