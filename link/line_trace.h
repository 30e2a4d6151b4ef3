#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace zelvo {

// A watcher of the line, for front ends that show what crosses it (a --trace option, say).
// Writes are reported as the raw bytes handed to the port (encoded frames, wake-up bytes);
// received frames as their decoded message bytes, or the receive's failure code.
struct LineTraceEvent {
  enum class Kind { kWrite, kFrameReceived, kReceiveFailed };
  Kind kind;
  uint32_t tick;
  std::vector<uint8_t> bytes;
  int code = 0;
};

using LineTracer = std::function<void(const LineTraceEvent&)>;
void SetLineTracer(LineTracer tracer);  // an empty tracer switches tracing off
void TraceLine(LineTraceEvent::Kind kind, const uint8_t* bytes, size_t count, int code);

}  // namespace zelvo
