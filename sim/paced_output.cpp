#include "sim/paced_output.h"

#include <algorithm>

namespace zelvo::sim {

void PacedOutput::Add(const std::vector<TimedByteUs>& bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<uint64_t> PacedOutput::NextBlockAt() const {
  if (pending_.empty()) return std::nullopt;
  uint64_t last_in_block = pending_.front().at_us + block_us_;
  uint64_t at = pending_.front().at_us;
  for (const TimedByteUs& b : pending_) {
    if (b.at_us > last_in_block) break;
    at = b.at_us;
  }
  return at;
}

void PacedOutput::Due(uint64_t now_us, std::vector<uint8_t>& out) const {
  std::optional<uint64_t> block_at = NextBlockAt();
  if (!block_at || now_us < *block_at) return;
  for (const TimedByteUs& b : pending_) {
    if (b.at_us > now_us) break;
    out.push_back(b.byte);
  }
}

void PacedOutput::Consumed(size_t count) {
  pending_.erase(pending_.begin(), pending_.begin() + std::min(count, pending_.size()));
}

}  // namespace zelvo::sim
