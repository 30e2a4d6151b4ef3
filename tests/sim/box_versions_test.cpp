#include "sim/box_versions.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo::sim {
namespace {

void StoreAt(FlashMemory& flash, uint32_t address, std::vector<uint8_t> bytes) {
  flash.Store(address, bytes.data(), bytes.size());
}

TEST(SimVersions, FirmwareVersionNeedsTheMarker) {
  FlashMemory flash;
  EXPECT_EQ(FirmwareRawVersion(flash), 0);
  StoreAt(flash, kFirmwareVersionAddress, {0x30, 0x11});
  EXPECT_EQ(FirmwareRawVersion(flash), 0) << "version word without marker";
  StoreAt(flash, kFirmwareMarkerAddress, {0xAA, 0x55, 0x55, 0xAB});
  EXPECT_EQ(FirmwareRawVersion(flash), 0) << "marker off by one bit";
  StoreAt(flash, kFirmwareMarkerAddress, {0xAA, 0x55, 0x55, 0xAA});
  EXPECT_EQ(FirmwareRawVersion(flash), 0x3011);
}

TEST(SimVersions, SignatureFusesCarryTheTextMostSignificantBitFirst) {
  std::string fuses = SignatureFuses("B6001E>012");
  EXPECT_EQ(fuses,
            "0100001000110110001100000011000000110001"
            "0100010100111110001100000011000100110010" +
                std::string(40, '0'));
  EXPECT_EQ(SignatureText(fuses).substr(0, 10), "B6001E>012");
  EXPECT_EQ(SignatureText("0100001"), "") << "not a whole character";
  EXPECT_EQ(SignatureText("0100001x"), "") << "not a fuse";
}

TEST(SimVersions, LogicVersionFromTheSignature) {
  struct Case {
    std::string text;
    uint16_t raw;
  };
  const Case cases[] = {
      {"B6001E>012", 14012},
      {"B6001E>999", 14999},
      {"B6001E>000", 14000},
      {"B6001E>12", 0},
      {"B6001E>1x2", 0},
      {"B6001F>012", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    LogicDevice logic;
    ASSERT_TRUE(logic.RestoreSignature(SignatureFuses(c.text)));
    EXPECT_EQ(LogicRawVersion(logic), c.raw) << c.text;
  }
  EXPECT_EQ(LogicRawVersion(LogicDevice()), 0) << "erased signature";
}

TEST(SimLogicDevice, ProgrammingOnlyClearsFusesAndEraseSetsThemAll) {
  LogicDevice logic;
  std::string first(240, '1'), second(240, '1');
  first[0] = first[1] = '0';
  second[1] = second[2] = '0';
  ASSERT_TRUE(logic.ProgramRow(7, first));
  ASSERT_TRUE(logic.ProgramRow(7, second));
  EXPECT_EQ(logic.row(7).substr(0, 4), "0001");
  EXPECT_EQ(logic.row(6), std::string(240, '1'));
  ASSERT_TRUE(logic.WriteSignature(std::string(120, '0')));
  logic.Erase();
  EXPECT_EQ(logic.row(7), std::string(240, '1'));
  EXPECT_EQ(logic.signature(), std::string(120, '1'));
}

TEST(SimLogicDevice, RefusesRowsAndFusesItCannotHold) {
  LogicDevice logic;
  std::string good(240, '0');
  EXPECT_FALSE(logic.ProgramRow(134, good));
  EXPECT_FALSE(logic.ProgramRow(-1, good));
  EXPECT_FALSE(logic.ProgramRow(0, std::string(239, '0')));
  std::string odd = good;
  odd[100] = '2';
  EXPECT_FALSE(logic.ProgramRow(0, odd));
  EXPECT_FALSE(logic.WriteSignature(std::string(121, '0')));
  EXPECT_EQ(logic.row(0), std::string(240, '1'));
  EXPECT_EQ(logic.signature(), std::string(120, '1'));
}

}  // namespace
}  // namespace zelvo::sim
