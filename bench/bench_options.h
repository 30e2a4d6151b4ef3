#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelvo::bench {

// The benchmark's command line.
struct BenchOptions {
  std::vector<uint32_t> rates;  // line rates to run at, in order; 115200 when none is given
  size_t firmware_bytes = 200 * 1024;
  uint32_t processing_ms = 2;  // the simulated loader's time per request
  std::string sim_program;     // the zelvo9-sim program
};

enum class BenchParse { kRun, kHelp, kError };

// Parses the arguments after the program name into `options` (which holds the defaults on
// entry). On kError, `error` says what is wrong.
BenchParse ParseBenchOptions(const std::vector<std::string>& args, BenchOptions& options,
                             std::string& error);

std::string BenchUsage();

}  // namespace zelvo::bench
