#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/box.h"
#include "sim/box_faults.h"

namespace zelvo::sim {

// The command line of the zelvo9-sim program.
struct SimOptions {
  uint32_t rate = Box::kDefaultRate;  // the rate the loader listens at when the program starts
  bool pace = false;                  // send reply bytes at the real line rate
  uint32_t processing_ms = 0;         // the loader's time per request before it answers
  int exit_after_requests = -1;       // close the pty after this many requests (-1: never)
  std::string state_file;             // load at start when present; save after changes, at exit
  std::optional<std::string> serial;
  std::optional<uint16_t> loader_version;
  std::optional<uint8_t> device_type;
  Faults faults;
  std::optional<RandomFaults> random;
};

enum class ParseOutcome { kRun, kHelp, kError };

// Reads the options (the program name not included). Every option takes its value either as the
// next argument or after '=' ("--rate 19200", "--rate=19200"). On kError `error` says why.
ParseOutcome ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                             std::string& error);

// The --help text.
std::string SimUsage();

// Sets the box up as the options say: rate, processing time, identity settings given on the
// command line (over those of a loaded state) and faults.
void ApplySimOptions(const SimOptions& options, Box& box);

}  // namespace zelvo::sim
