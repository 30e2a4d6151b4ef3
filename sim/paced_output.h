#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "sim/box.h"

namespace zelvo::sim {

// The reply bytes a paced line has yet to deliver, handed out in blocks as a UART's receive FIFO
// does: a block holds the bytes that arrive within `block_us` of its first one and is written
// when its last byte has fully arrived, to the microsecond. A byte never goes out before its
// time, and the last byte of a reply (the last one waiting) goes out exactly at its time, so the
// host sees each reply complete when the line would have delivered it, without being woken for
// every single byte.
class PacedOutput {
 public:
  // About 12 bytes at 115200 baud; at 9600 every byte is a block of its own.
  static constexpr uint64_t kDefaultBlockUs = 1000;

  explicit PacedOutput(uint64_t block_us = kDefaultBlockUs) : block_us_(block_us) {}

  void Add(const std::vector<TimedByteUs>& bytes);
  bool empty() const { return pending_.empty(); }
  size_t size() const { return pending_.size(); }

  // When the next block is complete (the time of its last byte), or nullopt when nothing waits.
  std::optional<uint64_t> NextBlockAt() const;
  // The bytes to write at `now_us`: nothing before the next block is complete, then every byte
  // that has arrived by `now_us`. They stay waiting until Consumed.
  void Due(uint64_t now_us, std::vector<uint8_t>& out) const;
  // Drops the first `count` waiting bytes (those the host has been given).
  void Consumed(size_t count);

 private:
  uint64_t block_us_;
  std::deque<TimedByteUs> pending_;
};

}  // namespace zelvo::sim
