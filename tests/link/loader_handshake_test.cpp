#include "link/loader_handshake.h"

#include <gtest/gtest.h>

#include "link/request_exchange.h"
#include "link/serial_channel.h"
#include "tests/support/box_fixture.h"
#include "tests/support/scripted_peer.h"

namespace zelvo {
namespace {

using testing::Bytes;

class LoaderHandshakeTest : public testing::BoxFixture {
 protected:
  // (opcode, rate) of every request the box understood.
  std::vector<std::pair<uint8_t, uint32_t>> Understood() const {
    std::vector<std::pair<uint8_t, uint32_t>> seen;
    for (const auto& r : box_.requests()) seen.push_back({r.opcode, r.baud});
    return seen;
  }
  // (bytes, rate) of every write on the line.
  std::vector<std::pair<Bytes, uint32_t>> Written() const {
    std::vector<std::pair<Bytes, uint32_t>> seen;
    for (const auto& w : line_.writes()) seen.push_back({w.bytes, w.baud});
    return seen;
  }
  static inline const Bytes kWake = {0xDB, 0xDE};
  static inline const Bytes kPing = {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00};
};

TEST_F(LoaderHandshakeTest, LoaderAtTheWantedRateAnswersTheFirstPingAndNoSpeedIsSet) {
  box_.set_listen_rate(115200);
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  EXPECT_EQ(Understood(), (std::vector<std::pair<uint8_t, uint32_t>>{{0x01, 115200}}));
  EXPECT_EQ(Written(), (std::vector<std::pair<Bytes, uint32_t>>{{kWake, 115200}, {kPing, 115200}}));
  EXPECT_EQ(SerialChannel::OpenFlag(), 1);
  EXPECT_EQ(SerialChannel::CurrentRate(), 115200u);

  // The first request of the connection: sequence 0, exchange flag set.
  uint8_t reply[1500];
  const uint8_t check[] = {'r'};
  ASSERT_GE(Exchange(check, 1, reply, sizeof reply, 10), 0);
  EXPECT_EQ(box_.requests().back().header0, 0x10);
}

TEST_F(LoaderHandshakeTest, LoaderAt38400IsFoundAndMovedTo115200) {
  box_.set_listen_rate(38400);
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  const Bytes set_speed_115200 = {0x10, 0x02, 0x00, 0x05, 0x03, 0x00,
                                  0x01, 0xC2, 0x00, 0x10, 0x03, 0xC5};
  EXPECT_EQ(Written(), (std::vector<std::pair<Bytes, uint32_t>>{
                           {kWake, 115200},
                           {kPing, 115200},  // the wanted rate first
                           {kWake, 9600},
                           {kPing, 9600},  // then the search from the bottom
                           {kWake, 19200},
                           {kPing, 19200},
                           {kWake, 38400},
                           {kPing, 38400},  // found
                           {set_speed_115200, 38400},
                           {kPing, 115200}}));  // the final ping, without wake-up bytes
  EXPECT_EQ(box_.listen_rate(), 115200u);
  EXPECT_EQ(SerialChannel::CurrentRate(), 115200u);
  EXPECT_EQ(SerialChannel::OpenFlag(), 1);
}

TEST_F(LoaderHandshakeTest, PortThatRefuses115200IsNeverSearchedThere) {
  line_.RefuseRate(115200);
  box_.set_listen_rate(19200);
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  ASSERT_FALSE(box_.requests().empty());
  const auto& set_speed = box_.requests()[1];
  EXPECT_EQ(set_speed.opcode, 0x03);
  EXPECT_EQ(set_speed.payload, (Bytes{0x00, 0x00, 0xE1, 0x00})) << "lowered to 57600";
  EXPECT_EQ(SerialChannel::CurrentRate(), 57600u);
}

TEST_F(LoaderHandshakeTest, SilentBoxGivesNoValidReplyAfterTryingEveryRateTheSearchMayUse) {
  line_.RefuseRate(115200);
  box_.faults().silent = true;
  EXPECT_EQ(OpenLoaderLink(0, 4), kNoValidReply);
  std::vector<uint32_t> ping_rates;
  for (const auto& w : line_.writes()) {
    if (w.bytes == kPing) ping_rates.push_back(w.baud);
  }
  EXPECT_EQ(ping_rates, (std::vector<uint32_t>{57600, 9600, 19200, 38400, 57600}));
  EXPECT_FALSE(SerialChannel::PortIsOpen());
  EXPECT_FALSE(line_.is_open());
}

TEST_F(LoaderHandshakeTest, PortFollowsTheRateTheLoaderConfirms) {
  box_.faults().confirm_rate = 57600;
  ASSERT_EQ(OpenLoaderLink(0, 4), 0);
  EXPECT_EQ(SerialChannel::CurrentRate(), 57600u);
  EXPECT_EQ(line_.rate(), 57600u);
}

TEST_F(LoaderHandshakeTest, SetSpeedReplyOfAnotherLengthFailsAndClosesThePort) {
  for (int length : {6, 8}) {
    box_.set_listen_rate(9600);
    box_.faults().setspeed_reply_length = length;
    EXPECT_EQ(OpenLoaderLink(0, 4), kPortUnavailable) << length;
    EXPECT_FALSE(line_.is_open());
    EXPECT_EQ(SerialChannel::OpenFlag(), 0);
  }
}

TEST_F(LoaderHandshakeTest, UnansweredFinalPingGivesThreeAndClosesThePort) {
  box_.faults().no_final_ping = true;
  EXPECT_EQ(OpenLoaderLink(0, 4), kFinalPingFailed);
  EXPECT_FALSE(line_.is_open());
  EXPECT_EQ(SerialChannel::OpenFlag(), 0);
}

TEST_F(LoaderHandshakeTest, PortThatCannotBeOpenedGivesPortUnavailable) {
  line_.FailOpens(platform::OpenError::kPermission);
  EXPECT_EQ(OpenLoaderLink(0, 4), kPortUnavailable);
  EXPECT_EQ(SerialChannel::LastOpenError(), platform::OpenError::kPermission);
  EXPECT_EQ(OpenLoaderLink(1, 4), kPortUnavailable) << "COM2 is wired to nothing";
}

TEST_F(LoaderHandshakeTest, ConnectsAtEveryWantedSpeedFromALoaderAtAnySpeed) {
  for (int from = 0; from < 5; ++from) {
    for (int to = 0; to < 5; ++to) {
      box_.set_listen_rate(SpeedTable[from]);
      ASSERT_EQ(OpenLoaderLink(0, to), 0) << SpeedTable[from] << " -> " << SpeedTable[to];
      EXPECT_EQ(SerialChannel::CurrentRate(), SpeedTable[to]);
      EXPECT_EQ(box_.listen_rate(), SpeedTable[to]);
      CloseLink();
    }
  }
}

}  // namespace
}  // namespace zelvo
