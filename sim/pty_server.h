#pragma once

#include <ostream>
#include <string>

#include "sim/box.h"

namespace zelvo::sim {

struct PtyServeSettings {
  bool pace = false;             // reply bytes at the real line rate, none before its time
  std::string state_file;        // where to save the box after changes and at the end; "" none
  int exit_after_requests = -1;  // close the pty after this many requests (-1: never)
};

// Puts `box` on a new pseudo-terminal and serves it until SIGINT or SIGTERM arrives (or the
// request limit is reached). The host-side device path goes alone on the first line of `out`,
// flushed at once; trouble goes to `err`. Returns the program's exit status: 0 after a clean
// end, 1 when the pty cannot be set up or the state cannot be saved at the end.
//
// The box runs on the monotonic clock in microseconds. Paced reply bytes are written in blocks
// of up to 1 ms of line time, each the moment its last byte has fully arrived (see
// paced_output.h), so every reply ends on its exact line time.
//
// The host's line rate is read from the pty's settings for every block it writes, so a host at
// another rate than the box's is not understood. The box's own slave fd stays open for the
// whole run: the master never sees a hang-up when the host closes and opens the device again.
// A changed state is saved once the line has been quiet for a moment, and at the end.
int ServeOnPty(Box& box, const PtyServeSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace zelvo::sim
