#include "loader/device_identity.h"

#include <gtest/gtest.h>

#include "loader/loader_commands.h"
#include "tests/support/link_fixture.h"

namespace zelvo {
namespace {

using testing::Bytes;
using testing::Framed;
using testing::Reply;
using testing::Unframed;

class DeviceIdentityTest : public testing::LinkFixture {
 protected:
  void SetUp() override { Connected(115200); }
  // The loader check answered as a loader does, then the identity reply.
  void AnswerIdentity(const Bytes& identity) {
    peer_.AnswerWrites({Framed(Reply({'R'})), Framed(Reply(identity))});
  }
  static Bytes IdentityReply(uint16_t loader, uint16_t firmware, uint16_t logic,
                             const std::string& serial) {
    Bytes r = {'d',
               uint8_t(loader >> 8),
               uint8_t(loader),
               uint8_t(firmware >> 8),
               uint8_t(firmware),
               uint8_t(logic >> 8),
               uint8_t(logic)};
    r.insert(r.end(), serial.begin(), serial.end());
    return r;
  }
};

TEST_F(DeviceIdentityTest, SeventeenByteReplyWithTenCharacterSerial) {
  AnswerIdentity(
      {0x64, 0x01, 0x00, 0x30, 0x11, 0x37, 0x2B, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0'});
  DeviceIdentity id;
  ASSERT_EQ(ReadDeviceIdentity(id), 0);
  EXPECT_EQ(id.loader_version, 256);
  EXPECT_EQ(id.firmware_version, 17);
  EXPECT_EQ(id.logic_version, 123);
  EXPECT_EQ(id.serial_number, "1234567890");
  EXPECT_EQ(FormatVersion(id.loader_version), "unknown");
  EXPECT_EQ(FormatVersion(id.firmware_version), "0.17");
  EXPECT_EQ(FormatVersion(id.logic_version), "1.23");
  EXPECT_EQ(MacAddressText(id.serial_number), "0A1B2C123456");
  ASSERT_EQ(line_.writes().size(), 2u);
  EXPECT_EQ(Unframed(line_.writes()[0].bytes), (Bytes{0x10, 0x01, 'r'}));
  EXPECT_EQ(Unframed(line_.writes()[1].bytes), (Bytes{0x50, 0x01, 'd'}));
}

TEST_F(DeviceIdentityTest, FifteenByteReplyWithEightCharacterSerial) {
  AnswerIdentity(IdentityReply(0x0105, 0x3069, 14012, "12345678"));
  DeviceIdentity id;
  id.serial_number = "previous10";
  ASSERT_EQ(ReadDeviceIdentity(id), 0);
  EXPECT_EQ(id.serial_number, "12345678");
  EXPECT_EQ(id.firmware_version, 105);
  EXPECT_EQ(id.logic_version, 12);
  EXPECT_EQ(MacAddressText(id.serial_number), "0A1B2C123456");
}

TEST_F(DeviceIdentityTest, ReplyOfAnotherLengthIsSuccessWithVersionsZeroAndSerialKept) {
  Bytes sixteen = IdentityReply(0x0105, 0x3069, 14012, "123456789");
  AnswerIdentity(sixteen);
  DeviceIdentity id{5, 6, 7, "ABCDEFGH"};
  ASSERT_EQ(ReadDeviceIdentity(id), 0);
  EXPECT_EQ(id.loader_version, 0);
  EXPECT_EQ(id.firmware_version, 0);
  EXPECT_EQ(id.logic_version, 0);
  EXPECT_EQ(id.serial_number, "ABCDEFGH");
}

TEST_F(DeviceIdentityTest, ReplyNotStartingWithDChangesNothing) {
  Bytes reply = IdentityReply(0x0105, 0x3069, 14012, "12345678");
  reply[0] = 'D';
  AnswerIdentity(reply);
  DeviceIdentity id{5, 6, 7, "ABCDEFGH"};
  EXPECT_EQ(ReadDeviceIdentity(id), kBadReply);
  EXPECT_EQ(id.loader_version, 5);
  EXPECT_EQ(id.firmware_version, 6);
  EXPECT_EQ(id.logic_version, 7);
  EXPECT_EQ(id.serial_number, "ABCDEFGH");
}

TEST_F(DeviceIdentityTest, BoxNotYetInItsLoaderCostsASecondAndNoIdentityRequest) {
  peer_.AnswerWrites({Framed(Reply({'r'}))});
  DeviceIdentity id;
  uint32_t start = clock_.Now();
  EXPECT_EQ(ReadDeviceIdentity(id), kLoaderNotReady);
  EXPECT_GE(clock_.Now() - start, 1000u);
  EXPECT_EQ(line_.writes().size(), 1u);
}

TEST_F(DeviceIdentityTest, EmptyLoaderCheckReplyLetsTheQueryGoOn) {
  peer_.AnswerWrites({Framed(Reply({})), Framed(Reply(IdentityReply(1, 0, 0, "87654321")))});
  DeviceIdentity id;
  ASSERT_EQ(ReadDeviceIdentity(id), 0);
  EXPECT_EQ(id.serial_number, "87654321");
}

TEST(VersionNormalisation, FirmwareRawValues) {
  const std::pair<uint16_t, uint16_t> cases[] = {{0x3000, 0}, {0x30FF, 255}, {0x3100, 0},
                                                 {0x2FFF, 0}, {0xF001, 1},   {0xC000, 0},
                                                 {0xEFFF, 0}, {0xF0FF, 255}, {0x0000, 0}};
  for (auto [raw, v] : cases) EXPECT_EQ(NormaliseFirmwareVersion(raw), v) << std::hex << raw;
}

TEST(VersionNormalisation, LogicRawValues) {
  const std::pair<uint16_t, uint16_t> cases[] = {
      {13999, 0}, {14000, 0}, {14255, 255}, {14256, 256}, {14999, 999}, {15000, 0}, {0, 0}};
  for (auto [raw, v] : cases) EXPECT_EQ(NormaliseLogicVersion(raw), v) << raw;
}

TEST(VersionTexts, ThreeDigitsWithAPointOrUnknown) {
  const std::tuple<uint16_t, const char*, const char*> cases[] = {
      {0, "unknown", "000"},   {5, "0.05", "005"},     {17, "0.17", "017"},
      {100, "1.00", "100"},    {123, "1.23", "123"},   {255, "2.55", "255"},
      {256, "unknown", "000"}, {999, "unknown", "000"}};
  for (auto [v, text, digits] : cases) {
    EXPECT_EQ(FormatVersion(v), text) << v;
    EXPECT_EQ(FormatVersionDigits(v), digits) << v;
  }
}

TEST(MacAddress, FixedPrefixAndTheFirstSixSerialCharacters) {
  EXPECT_EQ(MacAddressText("1234567890"), "0A1B2C123456");
  EXPECT_EQ(MacAddressText("1234"), "0A1B2C1234");
  EXPECT_EQ(MacAddressText(""), "0A1B2C");
}

}  // namespace
}  // namespace zelvo
