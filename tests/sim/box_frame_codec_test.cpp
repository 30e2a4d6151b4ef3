#include "sim/box_frame_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zelvo::sim {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::ElementsAreArray;

struct FrameCase {
  Bytes message;
  Bytes line;
};

// The frames every box and host must agree on, written out byte by byte.
const FrameCase kFrames[] = {
    {{}, {0x10, 0x02, 0x10, 0x03, 0x00}},
    {{0x00, 0x01, 0x01}, {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00}},
    {{0x10, 0x02, 0x03}, {0x10, 0x02, 0x10, 0x10, 0x02, 0x03, 0x10, 0x03, 0x11}},
    {{0x10}, {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x10}},
    {{0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00},
     {0x10, 0x02, 0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00, 0x10, 0x03, 0xC5}},
};

// Feeds the bytes; returns the messages of the good frames and counts the bad ones.
std::vector<Bytes> Receive(FrameReceiver& receiver, const Bytes& line, int& bad) {
  std::vector<Bytes> frames;
  for (uint8_t b : line) {
    switch (receiver.Feed(b)) {
      case FrameReceiver::Event::kFrame:
        frames.push_back(receiver.message());
        break;
      case FrameReceiver::Event::kBadFrame:
        ++bad;
        break;
      case FrameReceiver::Event::kNone:
        break;
    }
  }
  return frames;
}

TEST(SimFrameCodec, EncodesAndDecodesTheKnownFrames) {
  for (const FrameCase& c : kFrames) {
    EXPECT_THAT(EncodeBoxFrame(c.message), ElementsAreArray(c.line));
    FrameReceiver receiver;
    int bad = 0;
    std::vector<Bytes> frames = Receive(receiver, c.line, bad);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_THAT(frames[0], ElementsAreArray(c.message));
    EXPECT_EQ(bad, 0);
    EXPECT_TRUE(receiver.hunting());
  }
}

TEST(SimFrameCodec, CorruptedCheckIsStillEscaped) {
  // Message 0x10 has check 0x10; flipping 0x01 makes 0x11 (no escape), and a message whose
  // flipped check becomes 0x10 gets it doubled.
  EXPECT_THAT(EncodeBoxFrame({0x10}, 0x01),
              ElementsAreArray(Bytes{0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x11}));
  EXPECT_THAT(EncodeBoxFrame({0x11}, 0x01),
              ElementsAreArray(Bytes{0x10, 0x02, 0x11, 0x10, 0x03, 0x10, 0x10}));
}

TEST(SimFrameCodec, SkipsNoiseAndRejectsBrokenFrames) {
  struct Case {
    const char* what;
    Bytes line;
    size_t good;
    int bad;
  };
  const Case cases[] = {
      {"noise and wake-up bytes before a frame",
       {0x55, 0xAA, 0x03, 0xDB, 0xDE, 0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00},
       1,
       0},
      {"DLE DLE STX is no start mark",
       {0x10, 0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00},
       0,
       0},
      {"wrong check byte", {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x01}, 0, 1},
      {"DLE 05 inside the body", {0x10, 0x02, 0x00, 0x10, 0x05, 0x10, 0x03, 0x00}, 0, 1},
      {"single DLE as check byte", {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x00}, 0, 1},
      {"a cut frame does not swallow the next start mark",
       {0x10, 0x02, 0x00, 0x05, 0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00},
       1,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FrameReceiver receiver;
    int bad = 0;
    EXPECT_EQ(Receive(receiver, c.line, bad).size(), c.good);
    EXPECT_EQ(bad, c.bad);
  }
}

TEST(SimFrameCodec, TakesAFullBufferAndRejectsOneByteMore) {
  for (size_t size : {kBoxFrameCapacity, kBoxFrameCapacity + 1}) {
    Bytes message(size, 0x41);
    FrameReceiver receiver;
    int bad = 0;
    std::vector<Bytes> frames = Receive(receiver, EncodeBoxFrame(message), bad);
    EXPECT_EQ(frames.size(), size == kBoxFrameCapacity ? 1u : 0u) << size;
    EXPECT_EQ(bad, size == kBoxFrameCapacity ? 0 : 1) << size;
  }
}

}  // namespace
}  // namespace zelvo::sim
