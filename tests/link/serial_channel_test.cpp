#include "link/serial_channel.h"

#include <gtest/gtest.h>

#include "tests/support/link_fixture.h"

namespace zelvo {
namespace {

using testing::LinkFixture;

class SerialChannelTest : public LinkFixture {};

TEST_F(SerialChannelTest, PortThatDoesNotExistGivesPortUnavailableAndLeavesNothingOpen) {
  EXPECT_EQ(SerialChannel::Open("/dev/zelvo-no-such-port"), kPortUnavailable);
  EXPECT_FALSE(SerialChannel::PortIsOpen());
  EXPECT_EQ(SerialChannel::LastOpenError(), platform::OpenError::kNotFound);
}

TEST_F(SerialChannelTest, OpensAt9600WithoutSettingTheOpenFlag) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  EXPECT_TRUE(SerialChannel::PortIsOpen());
  EXPECT_EQ(SerialChannel::CurrentRate(), 9600u);
  EXPECT_EQ(line_.rate(), 9600u);
  EXPECT_EQ(SerialChannel::OpenFlag(), 0);
}

TEST_F(SerialChannelTest, OpenIsExclusive) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  EXPECT_EQ(SerialChannel::Open("\\\\.\\COM1"), kPortUnavailable);
  EXPECT_EQ(SerialChannel::LastOpenError(), platform::OpenError::kBusy);
  EXPECT_FALSE(line_.Open().device) << "the line must still be held by the first open";
}

TEST_F(SerialChannelTest, RefusedRateGivesPortUnavailable) {
  line_.RefuseRate(115200);
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  EXPECT_EQ(SerialChannel::SetRate(115200), kPortUnavailable);
  EXPECT_EQ(SerialChannel::SetRate(57600), 0);
  EXPECT_EQ(line_.rate(), 57600u);
  EXPECT_EQ(SerialChannel::SetRate(0), kPortUnavailable) << "no line runs at 0 baud";
  EXPECT_EQ(SerialChannel::CurrentRate(), 57600u);
}

TEST_F(SerialChannelTest, MissingByteIsReportedAfterTheDeadlinePlusTheReadBound) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  uint32_t start = clock_.Now();
  uint8_t byte = 0;
  EXPECT_EQ(SerialChannel::ReadByte(200, byte), kReadTimeout);
  uint32_t elapsed = clock_.Now() - start;
  EXPECT_GE(elapsed, 310u);
  EXPECT_LE(elapsed, 420u);
}

TEST_F(SerialChannelTest, ByteThatArrivesWithinTheDeadlineIsRead) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  peer_.Inject({0x5A}, clock_.Now() + 250);
  uint8_t byte = 0;
  EXPECT_EQ(SerialChannel::ReadByte(200, byte), 0);
  EXPECT_EQ(byte, 0x5A);
}

TEST_F(SerialChannelTest, VanishedDeviceGivesPortFailed) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  line_.Unplug();
  uint8_t byte = 0;
  EXPECT_EQ(SerialChannel::ReadByte(200, byte), kPortFailed);
  const uint8_t data[] = {1, 2, 3};
  EXPECT_EQ(SerialChannel::Write(data, 3), kWriteFailed);
}

TEST_F(SerialChannelTest, ShortWriteFailsAndLeavesThePortUsable) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  line_.ShortenWrites(1);
  const uint8_t data[] = {1, 2, 3};
  EXPECT_EQ(SerialChannel::Write(data, 3), kWriteFailed);
  EXPECT_EQ(SerialChannel::Write(data, 3), 0);
  EXPECT_EQ(line_.writes().back().bytes, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(SerialChannelTest, PurgeDropsWhatHasArrivedOnly) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  peer_.Inject({0x01}, clock_.Now());
  peer_.Inject({0x02}, clock_.Now() + 50);
  SerialChannel::PurgeReceive();
  uint8_t byte = 0;
  ASSERT_EQ(SerialChannel::ReadByte(200, byte), 0);
  EXPECT_EQ(byte, 0x02);
}

TEST_F(SerialChannelTest, CloseLinkClosesOnlyACompleteConnection) {
  ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0);
  CloseLink();
  EXPECT_TRUE(SerialChannel::PortIsOpen()) << "the open flag was clear: nothing to close";
  SerialChannel::SetOpenFlag(1);
  CloseLink();
  EXPECT_FALSE(SerialChannel::PortIsOpen());
  EXPECT_EQ(SerialChannel::OpenFlag(), 0);
  CloseLink();
  EXPECT_FALSE(line_.is_open());
}

TEST_F(SerialChannelTest, BusyWaitWaitsTheFullTimeAcrossTheTickWrap) {
  platform::VirtualClock near_wrap(0xFFFFFF00u);
  platform::ScopedTickSource use(near_wrap);
  BusyWait(300);
  uint32_t elapsed = near_wrap.Now() - 0xFFFFFF00u;
  EXPECT_GE(elapsed, 300u);
  EXPECT_LT(elapsed, 310u);
}

TEST(PortNames, DeviceNameAndRateFollowTheUsersChoice) {
  EXPECT_EQ(PortDeviceName(0), "\\\\.\\COM1");
  EXPECT_EQ(PortDeviceName(18), "\\\\.\\COM19");
  const std::pair<int, uint32_t> rates[] = {{0, 9600},   {1, 19200}, {2, 38400}, {3, 57600},
                                            {4, 115200}, {5, 9600},  {-1, 9600}};
  for (auto [index, rate] : rates) EXPECT_EQ(RateForSpeedIndex(index), rate) << index;
}

}  // namespace
}  // namespace zelvo
