#pragma once

#include <string>

#include "sim/box.h"

namespace zelvo::sim {

// The box's lasting state in a text file, so that a box updated in one run is still updated in
// the next: the loader version, the serial number, the logic device type, the user signature,
// every fuse row that is not erased and every 32-byte stretch of flash that is not all 0xFF.
//
//   zelvo9-sim-state 1
//   loader-version 105
//   serial 12345678
//   device-type 19
//   signature <120 fuses>
//   row <n> <240 fuses>
//   flash <address, 8 hex digits> <up to 32 bytes, 2 hex digits each>
//   end
//
// The line rate, the faults and the request log are not part of it: each run sets those anew.

// Writes the state; the file is replaced in one step (written beside it, then renamed), so a
// run that is killed while saving leaves the previous state intact. False and `error` on failure.
bool SaveBoxState(const Box& box, const std::string& path, std::string& error);

// Reads a state written by SaveBoxState into `box`. On any fault in the file (unknown line,
// bad value, missing end) nothing in `box` changes; false and `error`.
bool LoadBoxState(Box& box, const std::string& path, std::string& error);

}  // namespace zelvo::sim
