#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/process_usage.h"

namespace zelvo::bench {

// The simulator program (zelvo9-sim) as a child process: started with the given options, it
// prints the path of its pty, and it serves the box until it is stopped with SIGTERM.
class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts `program` with `args` and waits (at most `wait_ms`) for the pty path on the first
  // line of its output. false, and the reason in `error`, when it does not come.
  bool Start(const std::string& program, const std::vector<std::string>& args, std::string& error,
             int wait_ms = 5000);

  // Stops the child (SIGTERM, after a grace period SIGKILL) and collects it. Its exit status
  // (-1 when it did not exit by itself) and its CPU time are kept. Nothing when not running.
  void Stop();

  // The bytes the running child has read and written through system calls so far (rchar and
  // wchar of /proc/PID/io): what it took from the pty and put on it, apart from a few bytes of
  // its own start-up. false when they cannot be read.
  bool ReadIoCounters(uint64_t& read_bytes, uint64_t& written_bytes) const;

  const std::string& pty_path() const { return pty_path_; }
  bool running() const { return pid_ > 0; }
  int exit_status() const { return exit_status_; }
  const CpuTime& cpu() const { return cpu_; }

 private:
  pid_t pid_ = -1;
  int output_ = -1;  // read end of the child's stdout
  std::string pty_path_;
  int exit_status_ = -1;
  CpuTime cpu_;
};

}  // namespace zelvo::bench
