#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelvo::bench {

// What crossed the line while a tally was running, counted from the link's line tracer.
//
// The host's side is exact: every write is reported with the encoded bytes handed to the port.
// The box's side is reported as decoded messages, so each reply frame is measured by encoding
// it again (DLE STX, body with DLE doubled, DLE ETX, check byte, doubled when it is DLE). That
// equals the bytes the box sent as long as every byte it sent was part of a frame the host
// received whole; a failed receive (a timeout, a bad check) breaks that, so those are counted
// too and make the figures suspect.
struct LineCounts {
  uint64_t host_writes = 0;  // one write per request frame
  uint64_t host_bytes = 0;
  uint64_t reply_frames = 0;
  uint64_t reply_bytes = 0;  // encoded size of every received frame
  uint64_t failed_receives = 0;
  // For each request answered by the next frame: the time from the request's write to the end
  // of its reply's receive, less the line time of both frames and the box's processing time.
  // What our side (and the simulator's scheduling) adds to the floor, in microseconds.
  std::vector<int64_t> excess_us;
  std::vector<uint8_t> excess_opcodes;  // the request's opcode for each entry of excess_us

  uint64_t total_bytes() const { return host_bytes + reply_bytes; }
};

// The opcode of the request in an encoded frame (the first content byte after the 2-byte
// header, doubled DLE bytes taken as one), or 0 when the frame is too short.
uint8_t RequestOpcode(const uint8_t* frame, size_t n);

// The size on the line of the frame that carries `message`.
size_t EncodedFrameSize(const uint8_t* message, size_t n);

// The least time the exchange can take: every byte at 10 bits (start, 8 data, stop) on a line of
// `rate` baud, host and box never sending at once because every request waits for its reply,
// plus the box's processing time for each request. In microseconds.
uint64_t LineFloorUs(const LineCounts& counts, uint32_t rate, uint32_t processing_ms_per_request);
uint64_t LineTimeUs(uint64_t bytes, uint32_t rate);

// Counts the line's traffic from construction to destruction (or Stop). One at a time: it
// installs the process's line tracer and removes it again.
class ScopedLineTally {
 public:
  // `rate` and `processing_ms` are what the excess of each exchange is measured against.
  ScopedLineTally(uint32_t rate, uint32_t processing_ms);
  ~ScopedLineTally();
  ScopedLineTally(const ScopedLineTally&) = delete;
  ScopedLineTally& operator=(const ScopedLineTally&) = delete;

  void Stop();
  const LineCounts& counts() const { return counts_; }

 private:
  LineCounts counts_;
  bool running_ = true;
  uint32_t rate_;
  uint32_t processing_ms_;
  // The request waiting for its reply: when it was written and its size; 0 bytes when none.
  int64_t request_written_us_ = 0;
  size_t request_bytes_ = 0;
  uint8_t request_opcode_ = 0;
};

}  // namespace zelvo::bench
