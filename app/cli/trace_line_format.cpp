#include "app/cli/trace_line_format.h"

#include <cstdio>

namespace zelvo::cli {

std::string FormatTraceLine(const LineTraceEvent& event, uint32_t start_tick) {
  char stamp[24];
  // Unsigned 32-bit difference: right across a wrap of the tick counter too.
  std::snprintf(stamp, sizeof stamp, "%7u ms  ", static_cast<unsigned>(event.tick - start_tick));
  std::string line = stamp;
  switch (event.kind) {
    case LineTraceEvent::Kind::kWrite:
      line += "->";
      break;
    case LineTraceEvent::Kind::kFrameReceived:
      line += "<-";
      break;
    case LineTraceEvent::Kind::kReceiveFailed:
      return line + "<- receive failed (" + std::to_string(event.code) + ")";
  }
  char hex[4];
  for (uint8_t byte : event.bytes) {
    std::snprintf(hex, sizeof hex, " %02X", byte);
    line += hex;
  }
  if (event.bytes.empty()) line += " (no bytes)";
  return line;
}

}  // namespace zelvo::cli
