#include "bench/line_tally.h"

#include <chrono>

#include "link/frame_codec.h"
#include "link/line_trace.h"

namespace zelvo::bench {
namespace {

int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

size_t EncodedFrameSize(const uint8_t* message, size_t n) {
  size_t size = 2;  // DLE STX
  uint8_t check = 0;
  for (size_t i = 0; i < n; ++i) {
    size += message[i] == kDle ? 2 : 1;
    check ^= message[i];
  }
  size += 2;                      // DLE ETX
  size += check == kDle ? 2 : 1;  // the check byte, doubled when it is DLE
  return size;
}

uint8_t RequestOpcode(const uint8_t* frame, size_t n) {
  // DLE STX, then the message with every DLE doubled: the opcode is message byte 2.
  size_t message_index = 0;
  for (size_t i = 2; i < n; ++i) {
    if (frame[i] == kDle) {
      if (i + 1 >= n || frame[i + 1] != kDle) return 0;  // DLE ETX: the frame has ended
      ++i;
    }
    if (message_index++ == 2) return frame[i];
  }
  return 0;
}

uint64_t LineTimeUs(uint64_t bytes, uint32_t rate) {
  if (rate == 0) return 0;
  return bytes * 10 * 1'000'000 / rate;
}

uint64_t LineFloorUs(const LineCounts& counts, uint32_t rate, uint32_t processing_ms_per_request) {
  return LineTimeUs(counts.total_bytes(), rate) +
         counts.host_writes * uint64_t{processing_ms_per_request} * 1000;
}

ScopedLineTally::ScopedLineTally(uint32_t rate, uint32_t processing_ms)
    : rate_(rate), processing_ms_(processing_ms) {
  SetLineTracer([this](const LineTraceEvent& event) {
    int64_t now_us = NowUs();
    switch (event.kind) {
      case LineTraceEvent::Kind::kWrite:
        ++counts_.host_writes;
        counts_.host_bytes += event.bytes.size();
        request_written_us_ = now_us;
        request_bytes_ = event.bytes.size();
        request_opcode_ = RequestOpcode(event.bytes.data(), event.bytes.size());
        break;
      case LineTraceEvent::Kind::kFrameReceived: {
        size_t reply_bytes = EncodedFrameSize(event.bytes.data(), event.bytes.size());
        ++counts_.reply_frames;
        counts_.reply_bytes += reply_bytes;
        if (request_bytes_ != 0) {
          int64_t expected = static_cast<int64_t>(LineTimeUs(request_bytes_ + reply_bytes, rate_) +
                                                  uint64_t{processing_ms_} * 1000);
          counts_.excess_us.push_back(now_us - request_written_us_ - expected);
          counts_.excess_opcodes.push_back(request_opcode_);
        }
        request_bytes_ = 0;
        break;
      }
      case LineTraceEvent::Kind::kReceiveFailed:
        ++counts_.failed_receives;
        request_bytes_ = 0;
        break;
    }
  });
}

ScopedLineTally::~ScopedLineTally() {
  Stop();
}

void ScopedLineTally::Stop() {
  if (running_) SetLineTracer(nullptr);
  running_ = false;
}

}  // namespace zelvo::bench
