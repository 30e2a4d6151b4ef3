#include "link/line_trace.h"

#include "platform/tick_clock.h"

namespace zelvo {
namespace {

LineTracer& Tracer() {
  static LineTracer tracer;
  return tracer;
}

}  // namespace

void SetLineTracer(LineTracer tracer) {
  Tracer() = std::move(tracer);
}

void TraceLine(LineTraceEvent::Kind kind, const uint8_t* bytes, size_t count, int code) {
  if (!Tracer()) return;
  LineTraceEvent event{kind, platform::TickCount(), {}, code};
  if (bytes != nullptr) event.bytes.assign(bytes, bytes + count);
  Tracer()(event);
}

}  // namespace zelvo
