#include "logic/ues_bit_string.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo {
namespace {

TEST(LogicUesBitStringTest, EncodesFifteenCharactersMostSignificantBitFirst) {
  struct Case {
    std::string text;
    std::string bits;
  };
  const Case cases[] = {
      {"B6001E>012",
       "0100001000110110001100000011000000110001"
       "0100010100111110001100000011000100110010" +
           std::string(40, '0')},
      {"", std::string(120, '0')},
      {std::string(15, '\xff'), std::string(120, '1')},
      {std::string("\x80\x01", 2), "1000000000000001" + std::string(104, '0')},
      {std::string("A\0B", 3),
       "01000001" + std::string(8, '0') + "01000010" + std::string(96, '0')},
  };
  for (const Case& c : cases) EXPECT_EQ(UesBitString(c.text), c.bits) << c.text;
}

TEST(LogicUesBitStringTest, CharactersAfterTheFifteenthAreNotUsed) {
  const std::string text = "ABCDEFGHIJKLMNOPQRST";
  EXPECT_EQ(UesBitString(text), UesBitString(text.substr(0, 15)));
  EXPECT_NE(UesBitString(text), UesBitString(text.substr(0, 14)));
  EXPECT_EQ(UesBitString(text).size(), kUesBitLength);
}

}  // namespace
}  // namespace zelvo
