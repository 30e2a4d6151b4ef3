#pragma once

#include <cstdint>
#include <string>

#include "link/line_trace.h"

namespace zelvo::cli {

// One line of --trace: the milliseconds since `start_tick`, the direction and the bytes in hex.
//   "     12 ms  -> 10 02 00 01 41 01 10 03 41"   a write (raw bytes as handed to the port)
//   "     15 ms  <- 00 01 01"                     a received frame (its message bytes)
//   "    215 ms  <- receive failed (-1002)"       a receive that brought no frame
std::string FormatTraceLine(const LineTraceEvent& event, uint32_t start_tick);

}  // namespace zelvo::cli
