#include "tests/reliability/reply_fault_peer.h"

namespace zelvo::testing {

bool ReplyFaultPeer::Chance(double probability) {
  return probability > 0 && std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < probability;
}

void ReplyFaultPeer::OnHostBytes(const uint8_t* data, size_t count, uint32_t baud, uint32_t start) {
  far_end_.OnHostBytes(data, count, baud, start);
  std::vector<platform::TimedByte> reply;
  far_end_.TakeOutput(reply);
  if (reply.empty()) return;
  ++counts_.replies;

  if (Chance(rates_.drop)) {
    ++counts_.dropped;
    return;
  }
  if (Chance(rates_.corrupt)) {
    ++counts_.corrupted;
    size_t at = rng_() % reply.size();
    reply[at].byte ^= static_cast<uint8_t>(1 + rng_() % 255);
  }
  if (reply.size() > 1 && Chance(rates_.truncate)) {
    ++counts_.truncated;
    reply.resize(1 + rng_() % (reply.size() - 1));
  }
  uint32_t shift = 0;
  if (counts_.replies == delayed_reply_) {
    ++counts_.delayed;
    shift = delayed_reply_ms_;
  } else if (Chance(rates_.delay)) {
    ++counts_.delayed;
    shift = rates_.delay_ms;
  }
  // Never before the end of the reply in front of it: its first byte comes a millisecond after
  // that one's last, as from one transmitter.
  if (sent_any_ && static_cast<int32_t>(last_tick_ + 1 - (reply.front().tick + shift)) > 0) {
    shift = last_tick_ + 1 - reply.front().tick;
  }
  for (platform::TimedByte& b : reply) {
    b.tick += shift;
    out_.push_back(b);
  }
  last_tick_ = reply.back().tick;
  sent_any_ = true;
}

void ReplyFaultPeer::TakeOutput(std::vector<platform::TimedByte>& out) {
  // Anything the far end sends of its own accord passes untouched.
  std::vector<platform::TimedByte> own;
  far_end_.TakeOutput(own);
  out_.insert(out_.end(), own.begin(), own.end());
  out.insert(out.end(), out_.begin(), out_.end());
  out_.clear();
}

}  // namespace zelvo::testing
