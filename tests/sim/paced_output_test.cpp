#include "sim/paced_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/box.h"
#include "tests/sim/box_wire.h"

namespace zelvo::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Write {
  uint64_t at_us;
  std::vector<uint8_t> bytes;
};

// Serves `output` as the pty loop does, on a virtual microsecond clock that jumps to each wake.
std::vector<Write> Serve(PacedOutput& output) {
  std::vector<Write> writes;
  while (std::optional<uint64_t> at = output.NextBlockAt()) {
    Write w{*at, {}};
    output.Due(*at, w.bytes);
    output.Consumed(w.bytes.size());
    if (w.bytes.empty()) break;  // a block that cannot be written would never end
    writes.push_back(w);
  }
  return writes;
}

TEST(PacedOutput, WritesEachBlockWhenItsLastByteHasArrived) {
  PacedOutput output(1000);
  // Bytes 400 us apart: a block spans its first byte and what follows within 1 ms.
  output.Add({{10'000, 'a'}, {10'400, 'b'}, {10'800, 'c'}, {11'200, 'd'}, {11'600, 'e'}});
  std::vector<Write> writes = Serve(output);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].at_us, 10'800u);
  EXPECT_THAT(writes[0].bytes, ElementsAre('a', 'b', 'c'));
  // The last byte waiting goes out exactly at its own time.
  EXPECT_EQ(writes[1].at_us, 11'600u);
  EXPECT_THAT(writes[1].bytes, ElementsAre('d', 'e'));
  EXPECT_TRUE(output.empty());
  EXPECT_EQ(output.NextBlockAt(), std::nullopt);
}

TEST(PacedOutput, GivesNothingBeforeTheBlockIsCompleteAndAllThatIsDueAfter) {
  PacedOutput output(1000);
  output.Add({{5'000, 'a'}, {5'500, 'b'}, {7'000, 'c'}, {9'000, 'd'}});
  std::vector<uint8_t> got;
  output.Due(5'499, got);
  EXPECT_THAT(got, IsEmpty());
  // Woken late, the loop writes every byte that has arrived by then, also past the block.
  output.Due(7'200, got);
  EXPECT_THAT(got, ElementsAre('a', 'b', 'c'));
  // A write the host took only in part: the rest is overdue and goes at once.
  output.Consumed(1);
  EXPECT_EQ(output.NextBlockAt(), 5'500u);
  got.clear();
  output.Due(7'200, got);
  EXPECT_THAT(got, ElementsAre('b', 'c'));
  EXPECT_EQ(output.size(), 3u);
}

TEST(PacedOutput, ABoxReplyEndsOnTheLineTimeOfItsLastByte) {
  // A 490-byte read-back reply at 115200 baud, as the box hands it out in microseconds.
  Box box;
  box.set_listen_rate(115200);
  box.SetProcessingMs(2);
  auto send = [&box](const std::vector<uint8_t>& content, uint64_t at_us) {
    std::vector<uint8_t> raw = zelvo::testing::Framed(testing::ExchangeMessage(content));
    box.OnHostBytesUs(raw.data(), raw.size(), 115200, at_us);
  };
  send({'i', 1}, 1'000'000);
  send({'k', 3}, 1'010'000);
  std::vector<TimedByteUs> bytes;
  box.TakeOutputUs(bytes);
  ASSERT_GT(bytes.size(), 490u);

  PacedOutput output;
  output.Add(bytes);
  std::vector<Write> writes = Serve(output);
  ASSERT_FALSE(writes.empty());
  EXPECT_TRUE(output.empty());
  // Every byte goes out in order, none before its time and none more than a block late.
  std::vector<size_t> write_ends;  // the index of each write's last byte
  size_t k = 0;
  for (const Write& w : writes) {
    for (uint8_t byte : w.bytes) {
      ASSERT_LT(k, bytes.size());
      EXPECT_EQ(byte, bytes[k].byte);
      EXPECT_GE(w.at_us, bytes[k].at_us);
      EXPECT_LE(w.at_us, bytes[k].at_us + PacedOutput::kDefaultBlockUs);
      ++k;
    }
    write_ends.push_back(k - 1);
  }
  EXPECT_EQ(k, bytes.size());
  // Each reply's last byte (the short one's and the long one's) ends a write made exactly at its
  // line time.
  std::vector<size_t> reply_ends;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i + 1 == bytes.size() || bytes[i + 1].at_us - bytes[i].at_us > 1000)
      reply_ends.push_back(i);
  }
  ASSERT_EQ(reply_ends.size(), 2u);
  for (size_t end : reply_ends) {
    auto found = std::find(write_ends.begin(), write_ends.end(), end);
    ASSERT_NE(found, write_ends.end()) << end;
    EXPECT_EQ(writes[found - write_ends.begin()].at_us, bytes[end].at_us);
  }
  // About 12 bytes a block, not one write per byte.
  EXPECT_LT(writes.size(), bytes.size() / 8);
}

}  // namespace
}  // namespace zelvo::sim
