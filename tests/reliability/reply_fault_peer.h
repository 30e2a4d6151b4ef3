#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "platform/inprocess_serial_line.h"

namespace zelvo::testing {

// Set rates of faults for the replies that cross a line, each drawn on its own for every reply.
struct ReplyFaultRates {
  double drop = 0.0;      // the reply never arrives
  double truncate = 0.0;  // only a leading part of its frame arrives (at least one byte)
  double corrupt = 0.0;   // one byte of its frame arrives changed
  double delay = 0.0;     // it arrives `delay_ms` late
  uint32_t delay_ms = 150;
};

// How many faults were injected, and into how many replies.
struct ReplyFaultCounts {
  long replies = 0;
  long dropped = 0;
  long truncated = 0;
  long corrupted = 0;
  long delayed = 0;

  long faults() const { return dropped + truncated + corrupted + delayed; }
};

// Sits on the line between the host and a far end (the simulated box) and spoils the far end's
// replies at set rates, from a seeded generator, counting what it did. A reply is what the far
// end sends in answer to one block the host writes, that is one request. Faults are off until
// SetRates; they can be changed at any time (a test connects first, then turns them on).
//
// Replies keep their order: a late reply holds back those behind it, as one transmitter would.
class ReplyFaultPeer final : public platform::LinePeer {
 public:
  ReplyFaultPeer(platform::LinePeer& far_end, uint32_t seed) : far_end_(far_end), rng_(seed) {}

  void SetRates(const ReplyFaultRates& rates) { rates_ = rates; }
  void Off() { rates_ = {}; }
  void Reseed(uint32_t seed) { rng_.seed(seed); }
  // Delays the reply that will be number `reply` (counts().replies once it has passed) by `ms`.
  void DelayReply(long reply, uint32_t ms) {
    delayed_reply_ = reply;
    delayed_reply_ms_ = ms;
  }
  const ReplyFaultCounts& counts() const { return counts_; }

  void OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) override;
  void TakeOutput(std::vector<platform::TimedByte>& out) override;

 private:
  bool Chance(double probability);

  platform::LinePeer& far_end_;
  std::mt19937 rng_;
  ReplyFaultRates rates_;
  ReplyFaultCounts counts_;
  std::vector<platform::TimedByte> out_;
  long delayed_reply_ = -1;
  uint32_t delayed_reply_ms_ = 0;
  uint32_t last_tick_ = 0;
  bool sent_any_ = false;
};

}  // namespace zelvo::testing
