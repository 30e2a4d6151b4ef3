#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/line_tally.h"
#include "bench/process_usage.h"

namespace zelvo::bench {

// One benchmark run: a fresh simulator at `rate`, Connect, then a full Update.
struct UpdateRunSettings {
  std::string sim_program;
  uint32_t rate = 115200;
  uint32_t processing_ms = 2;
  uint16_t firmware_version = 0;  // of the files in the update directory
  uint16_t logic_version = 0;
};

struct UpdateRunResult {
  std::string error;  // why the run could not be made; empty when it was

  uint64_t connect_wall_us = 0;
  std::string connect_status;
  bool connected = false;

  uint64_t update_wall_us = 0;
  CpuTime update_cpu;
  LineCounts update_line;
  std::string update_status;            // the status line when Update had ended
  std::vector<std::string> messages;    // message boxes Update raised
  uint16_t firmware_version_after = 0;  // as the box reported it at the end of Update
  uint16_t logic_version_after = 0;

  // What the simulator read from and wrote to the pty during Update, by its own system calls:
  // an independent count of the bytes on the line. False when they could not be read.
  bool sim_io_known = false;
  uint64_t sim_read_bytes = 0;
  uint64_t sim_written_bytes = 0;

  CpuTime sim_cpu;  // the simulator's whole run, Connect included
  int sim_exit_status = -1;

  // The simulator's counts agree with the tally (true when they are not known).
  bool line_counts_agree() const;
  // The update did what it should: it passed and the box reports the files' versions.
  bool update_passed(const UpdateRunSettings& settings) const;
};

// Needs the update files in the program's update directory. Uses COM1, pointed at the
// simulator's pty through ZELVO_COM1.
UpdateRunResult RunUpdateBenchmark(const UpdateRunSettings& settings);

}  // namespace zelvo::bench
