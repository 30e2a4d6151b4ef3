#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include "link/serial_channel.h"
#include "tests/support/link_fixture.h"

namespace zelvo {
namespace {

using testing::Bytes;
using testing::LinkFixture;

class FrameCodecTest : public LinkFixture {
 protected:
  void SetUp() override { ASSERT_EQ(SerialChannel::Open("\\\\.\\COM1"), 0); }

  // Receives with a guard zone behind `capacity`, which must stay untouched.
  int Receive(size_t capacity, Bytes& message) {
    std::vector<uint8_t> buffer(capacity + 16, 0xEE);
    int rc = ReceiveFrame(buffer.data(), capacity, 200);
    for (size_t i = capacity; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << "overrun";
    if (rc > 0) message.assign(buffer.begin(), buffer.begin() + rc);
    return rc;
  }
};

TEST_F(FrameCodecTest, SendsEachMessageAsOneEncodedWrite) {
  const std::pair<Bytes, Bytes> cases[] = {
      {{}, {0x10, 0x02, 0x10, 0x03, 0x00}},
      {{0x00, 0x01, 0x01}, {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00}},
      {{0x10, 0x02, 0x03}, {0x10, 0x02, 0x10, 0x10, 0x02, 0x03, 0x10, 0x03, 0x11}},
      {{0x10}, {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x10}},
      {{0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00},
       {0x10, 0x02, 0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00, 0x10, 0x03, 0xC5}},
  };
  for (const auto& [message, frame] : cases) {
    line_.ClearLog();
    ASSERT_EQ(SendFrame(message.data(), message.size()), 0);
    ASSERT_EQ(line_.writes().size(), 1u);
    EXPECT_EQ(line_.writes()[0].bytes, frame);
  }
}

TEST_F(FrameCodecTest, ReceivesWhatTheCodecSends) {
  const Bytes messages[] = {{}, {0x10}, {0x10, 0x10, 0x02, 0x03}, {0x00, 0x01, 0x01}};
  for (const Bytes& message : messages) {
    peer_.Inject(testing::Framed(message), clock_.Now());
    Bytes got = {0xFF};
    int rc = Receive(64, got);
    ASSERT_EQ(rc, static_cast<int>(message.size()));
    if (rc > 0) {
      EXPECT_EQ(got, message);
    }
  }
}

struct ReceiveCase {
  const char* name;
  Bytes line;
  int result;
  Bytes message;
};

TEST_F(FrameCodecTest, ReceiverCases) {
  const ReceiveCase cases[] = {
      {"noise before the start mark",
       {0x55, 0xAA, 0x03, 0x10, 0x02, 0x41, 0x10, 0x03, 0x41},
       1,
       {0x41}},
      {"DLE DLE STX starts no frame",
       {0x10, 0x10, 0x02, 0xAA, 0x10, 0x03, 0xAA, 0x10, 0x02, 0xBB, 0x10, 0x03, 0xBB},
       1,
       {0xBB}},
      {"check byte DLE, doubled", {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x10}, 1, {0x10}},
      {"check byte DLE, not doubled",
       {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x05},
       kFrameEscape,
       {}},
      {"DLE 05 inside the body",
       {0x10, 0x02, 0x01, 0x10, 0x05, 0x10, 0x03, 0x00},
       kFrameEscape,
       {}},
      {"corrupted check byte", {0x10, 0x02, 0x01, 0x02, 0x10, 0x03, 0x00}, kFrameCheck, {}},
      {"sender stops in the middle", {0x10, 0x02, 0x01, 0x02}, kReadTimeout, {}},
      {"nothing at all", {}, kReadTimeout, {}},
  };
  for (const ReceiveCase& c : cases) {
    SCOPED_TRACE(c.name);
    peer_.Inject(c.line, clock_.Now());
    Bytes got;
    EXPECT_EQ(Receive(64, got), c.result);
    if (c.result > 0) {
      EXPECT_EQ(got, c.message);
    }
    SerialChannel::PurgeReceive();
  }
}

TEST_F(FrameCodecTest, CapacityIsExactlyTheLongestMessage) {
  Bytes eight(8, 0x21);
  peer_.Inject(testing::Framed(eight), clock_.Now());
  Bytes got;
  EXPECT_EQ(Receive(8, got), 8);
  Bytes nine(9, 0x21);
  peer_.Inject(testing::Framed(nine), clock_.Now());
  EXPECT_EQ(Receive(8, got), kFrameOverflow);
}

TEST_F(FrameCodecTest, EndlessFrameOfDoubledDlesNeverOverrunsTheBuffer) {
  Bytes storm = {0x10, 0x02};
  for (int i = 0; i < 5000; ++i) storm.push_back(0x10);
  peer_.Inject(storm, clock_.Now());
  Bytes got;
  EXPECT_EQ(Receive(1500, got), kFrameOverflow);
}

TEST_F(FrameCodecTest, StormOfLoneDlesEndsWithTheTimeout) {
  Bytes storm;
  for (int i = 0; i < 3001; ++i) storm.push_back(0x10);
  storm.push_back(0x05);
  peer_.Inject(storm, clock_.Now());
  Bytes got;
  EXPECT_EQ(Receive(1500, got), kReadTimeout);
}

TEST_F(FrameCodecTest, VanishedPortEndsTheReceiveWhileHunting) {
  peer_.Inject({0x55, 0x55}, clock_.Now());
  line_.Unplug();
  Bytes got;
  EXPECT_EQ(Receive(64, got), kPortFailed);
}

}  // namespace
}  // namespace zelvo
