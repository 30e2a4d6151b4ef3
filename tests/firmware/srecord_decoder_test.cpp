#include "firmware/srecord_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/firmware/srecord_text.h"

namespace zelvo {
namespace {

using ::testing::ElementsAreArray;
using testing::SRecord;

constexpr uint32_t kUntouched = 0xDEADBEEF;

struct Decoded {
  int result;
  uint32_t address;
  std::vector<uint8_t> data;  // the bytes the result counts
};

Decoded Decode(const std::string& line) {
  std::array<uint8_t, 256> buffer{};
  uint32_t address = kUntouched;
  int result = DecodeSRecordLine(line, address, buffer);
  size_t count = result > 0 ? static_cast<size_t>(result) : 0;
  return {result, address, std::vector<uint8_t>(buffer.begin(), buffer.begin() + count)};
}

TEST(HexPairValueTest, TableValuesAndCharactersOutsideTheTable) {
  struct Case {
    char high, low;
    uint8_t value;
  };
  const Case cases[] = {
      {'0', '0', 0x00},
      {'F', 'F', 0xFF},
      {'9', 'A', 0x9A},
      {'D', 'E', 0xDE},
      {':', '5', 0x05},
      {'@', 'A', 0x0A},
      {'?', '?', 0x00},  // the table's non-digits are 0
      // Outside the table: 0, never a value read from beyond it.
      {'G', '1', 0x01},
      {'Z', 'Z', 0x00},
      {'a', 'b', 0x00},
      {' ', '/', 0x00},
      {'\0', '\n', 0x00},
      {'\x80', '7', 0x07},
      {'\xFF', '\xC3', 0x00},
      {'3', 'G', 0x30},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HexPairValue(c.high, c.low), c.value)
        << static_cast<int>(static_cast<unsigned char>(c.high)) << ","
        << static_cast<int>(static_cast<unsigned char>(c.low));
  }
}

TEST(DecodeSRecordLineTest, DataRecords) {
  struct Case {
    std::string line;
    int result;
    uint32_t address;
    std::vector<uint8_t> data;
  };
  const Case cases[] = {
      {"S107100001020304DE\n", 4, 0x1000, {1, 2, 3, 4}},
      {"s107100001020304de\n", 4, 0x1000, {1, 2, 3, 4}},
      {"  S107100001020304DE\n", 4, 0x1000, {1, 2, 3, 4}},
      {"xyS107100001020304DE\n", 4, 0x1000, {1, 2, 3, 4}},
      {"S3080104000012345656\n", 3, 0x01040000, {0x12, 0x34, 0x56}},
      {"S206040000DEAD6A\n", 2, 0x040000, {0xDE, 0xAD}},
      {"S1031000EC\n", 0, 0x1000, {}},  // a data record without data bytes
  };
  for (const Case& c : cases) {
    Decoded d = Decode(c.line);
    EXPECT_EQ(d.result, c.result) << c.line;
    EXPECT_EQ(d.address, c.address) << c.line;
    EXPECT_THAT(d.data, ElementsAreArray(c.data)) << c.line;
  }
}

TEST(DecodeSRecordLineTest, RecordsWithoutDataLeaveTheAddressAlone) {
  for (const char* line : {"S9030000FC\n", "S0030000FC\n", "S9030000FD\n", "S5030000FF\n",
                           "S7050104000000\n", "SX0300\n\n\n\n\n"}) {
    Decoded d = Decode(line);
    EXPECT_EQ(d.result, 0) << line;
    EXPECT_EQ(d.address, kUntouched) << line;
  }
}

TEST(DecodeSRecordLineTest, UnusableLines) {
  const std::string cases[] = {
      "S107100001020304DE",      // no line feed: one character short
      "S107100001020304DE\r\n",  // a carriage return left in: one too many
      "S107100001020304DE \n",   // trailing blank
      "S107100001020304DF\n",    // wrong checksum
      "\n",
      "",
      "107100001020304DE\n",  // no 'S'
      "S1\n",                 // fewer than three characters after the 'S'
      "S10",
      "S1021000\n",                // byte count below address length + 1
      "S30401040000\n",            // S3 byte count 4: no room for the checksum
      "S107100001020G04DE\n",      // 'G' in place of '3': counts as 0, the checksum fails
      "S107100001020304D\xC5\n",   // a byte above 0x7F in the checksum
      "S9030000FC\nS9030000FC\n",  // two records on one line: the length is wrong
  };
  for (const std::string& line : cases) {
    EXPECT_EQ(Decode(line).result, -1) << '"' << line << '"';
  }
}

TEST(DecodeSRecordLineTest, LongestRecordsOfEachTypeAndLineLimit) {
  std::vector<uint8_t> data(122);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
  std::string s1 = SRecord('1', 2, 0xABCD, data);
  ASSERT_EQ(s1.size(), 255u);
  Decoded d = Decode(s1);
  EXPECT_EQ(d.result, 122);
  EXPECT_EQ(d.address, 0xABCDu);
  EXPECT_THAT(d.data, ElementsAreArray(data));

  std::vector<uint8_t> data120(data.begin(), data.begin() + 120);
  d = Decode(SRecord('3', 4, 0x0107FF80, data120));
  EXPECT_EQ(d.result, 120);
  EXPECT_EQ(d.address, 0x0107FF80u);
  EXPECT_THAT(d.data, ElementsAreArray(data120));

  // Byte count 0xFF: 252 data bytes for S1, still inside the 256-byte buffer.
  std::vector<uint8_t> data252(252, 0x5A);
  d = Decode(SRecord('1', 2, 0x0000, data252));
  EXPECT_EQ(d.result, 252);
  EXPECT_THAT(d.data, ElementsAreArray(data252));
}

TEST(DecodeSRecordLineTest, NeverWritesBeyondTheCallersBuffer) {
  std::string line = SRecord('3', 4, 0x01040000, std::vector<uint8_t>(16, 0x11));
  std::array<uint8_t, 20> buffer;
  buffer.fill(0xEE);
  uint32_t address = 0;
  EXPECT_EQ(DecodeSRecordLine(line, address, std::span<uint8_t>(buffer).first(15)), -1);
  for (size_t i = 15; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
  EXPECT_EQ(DecodeSRecordLine(line, address, std::span<uint8_t>(buffer).first(16)), 16);
  EXPECT_EQ(buffer[16], 0xEE);
}

TEST(DecodeSRecordLineTest, JunkOfAnyKindIsUnusable) {
  std::string nulBytes("S1\0\0\0\0\0\0\n", 9);
  std::string highBytes = "S1\x80\xFF\xC3\xA9\n";
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  std::string huge(100000, 'S');
  std::string hugeHex = "S1" + std::string(100000, 'F') + "\n";
  for (const std::string& line : {nulBytes, highBytes, binary, huge, hugeHex}) {
    EXPECT_EQ(Decode(line).result, -1) << line.size();
  }
}

TEST(DecodeSRecordLineTest, TheCallersLineIsNotChanged) {
  const std::string line = "s107100001020304de\n";
  std::string copy = line;
  uint32_t address = 0;
  std::array<uint8_t, 256> buffer{};
  EXPECT_EQ(DecodeSRecordLine(copy, address, buffer), 4);
  EXPECT_EQ(copy, line);
}

}  // namespace
}  // namespace zelvo
