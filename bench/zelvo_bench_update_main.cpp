// zelvo-bench-update: times a full Update of the Update/Setup dialog against the simulated box
// on a pty, with the simulator pacing its replies at the line rate, and checks it against the
// targets: wall time at most 1.05 x the line-time floor, CPU time at most 5 % of the wall time,
// peak memory at most 16 MiB. See docs/benchmark.md.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "bench/line_tally.h"
#include "bench/process_usage.h"
#include "bench/update_benchmark.h"
#include "bench/update_file_set.h"
#include "loader/device_identity.h"
#include "platform/exe_dir.h"

namespace {

using namespace zelvo::bench;

constexpr uint16_t kFirmwareVersion = 105;  // 1.05
constexpr uint16_t kLogicVersion = 12;      // 0.12
constexpr double kMaxWallOverFloor = 1.05;
constexpr double kMaxCpuShare = 0.05;
constexpr uint64_t kMaxPeakKiB = 16 * 1024;

double Seconds(uint64_t us) {
  return static_cast<double>(us) / 1e6;
}

unsigned long long Count(uint64_t n) {
  return static_cast<unsigned long long>(n);
}

const char* Verdict(bool pass) {
  return pass ? "PASS" : "FAIL";
}

struct ExcessSummary {
  size_t count = 0;
  double mean_ms = 0, median_ms = 0, p90_ms = 0, p99_ms = 0, max_ms = 0;
};

ExcessSummary Summarise(std::vector<int64_t> excess) {
  ExcessSummary summary;
  if (excess.empty()) return summary;
  std::sort(excess.begin(), excess.end());
  auto at = [&](double q) {
    return static_cast<double>(excess[static_cast<size_t>(q * (excess.size() - 1))]) / 1000;
  };
  int64_t sum = 0;
  for (int64_t e : excess) sum += e;
  summary.count = excess.size();
  summary.mean_ms = static_cast<double>(sum) / 1000 / static_cast<double>(excess.size());
  summary.median_ms = at(0.5);
  summary.p90_ms = at(0.9);
  summary.p99_ms = at(0.99);
  summary.max_ms = at(1.0);
  return summary;
}

// How much longer than its line time and processing each exchange took, in milliseconds: for
// all of them and for each command.
void PrintExcess(const LineCounts& line) {
  if (line.excess_us.empty()) return;
  std::printf(
      "  excess per exchange over its floor, ms:   count    mean  median     p90     p99"
      "      max\n");
  auto print = [](const std::string& name, const ExcessSummary& s) {
    std::printf("    %-36s %7zu %7.3f %7.3f %7.3f %7.3f %8.3f\n", name.c_str(), s.count, s.mean_ms,
                s.median_ms, s.p90_ms, s.p99_ms, s.max_ms);
  };
  print("all", Summarise(line.excess_us));
  std::map<uint8_t, std::vector<int64_t>> by_opcode;
  for (size_t i = 0; i < line.excess_us.size() && i < line.excess_opcodes.size(); ++i) {
    by_opcode[line.excess_opcodes[i]].push_back(line.excess_us[i]);
  }
  for (const auto& [opcode, excess] : by_opcode) {
    char name[8];
    std::snprintf(name, sizeof name, "'%c'", opcode >= 0x20 && opcode < 0x7F ? opcode : '?');
    print(name, Summarise(excess));
  }
}

// Prints one run and tells whether it met every target.
bool Report(const UpdateRunSettings& settings, const UpdateRunResult& run) {
  std::printf("\n== %u baud, the box taking %u ms per request ==\n", settings.rate,
              settings.processing_ms);
  if (!run.error.empty()) {
    std::printf("run failed: %s\n", run.error.c_str());
    return false;
  }
  std::printf("Connect         %9.3f s   \"%s\" (handshake pauses included; no target)\n",
              Seconds(run.connect_wall_us), run.connect_status.c_str());
  if (!run.connected) {
    std::printf("Update          not run: Connect failed                                  FAIL\n");
    return false;
  }

  bool passed = run.update_passed(settings);
  std::printf("Update          \"%s\" firmware %s, logic %s   %s\n", run.update_status.c_str(),
              zelvo::FormatVersion(run.firmware_version_after).c_str(),
              zelvo::FormatVersion(run.logic_version_after).c_str(), Verdict(passed));
  for (const std::string& message : run.messages) {
    std::printf("  message box     \"%s\"\n", message.c_str());
  }

  const LineCounts& line = run.update_line;
  uint64_t line_us = LineTimeUs(line.total_bytes(), settings.rate);
  uint64_t processing_us = line.host_writes * uint64_t{settings.processing_ms} * 1000;
  uint64_t floor_us = LineFloorUs(line, settings.rate, settings.processing_ms);
  std::printf("  host -> box   %9llu bytes in %llu request frames\n", Count(line.host_bytes),
              Count(line.host_writes));
  std::printf("  box -> host   %9llu bytes in %llu reply frames\n", Count(line.reply_bytes),
              Count(line.reply_frames));
  if (run.sim_io_known) {
    std::printf("  cross-check   the simulator read %llu and wrote %llu bytes on the pty   %s\n",
                Count(run.sim_read_bytes), Count(run.sim_written_bytes),
                run.line_counts_agree() ? "agree" : "DIFFER");
  } else {
    std::printf("  cross-check   the simulator's /proc/PID/io could not be read\n");
  }
  if (line.failed_receives != 0 || line.reply_frames != line.host_writes) {
    std::printf(
        "  (%llu failed receives: the bytes of broken frames are not counted, so the "
        "floor is not exact)\n",
        Count(line.failed_receives));
  }
  std::printf("  line time     %9.3f s   (%llu bytes x 10 bits / %u baud)\n", Seconds(line_us),
              Count(line.total_bytes()), settings.rate);
  std::printf("  processing    %9.3f s   (%llu requests x %u ms)\n", Seconds(processing_us),
              Count(line.host_writes), settings.processing_ms);
  std::printf("  floor         %9.3f s\n", Seconds(floor_us));
  std::printf("  wall time     %9.3f s\n", Seconds(run.update_wall_us));
  PrintExcess(line);
  int64_t excess_sum = 0;
  for (int64_t e : line.excess_us) excess_sum += e;
  // The rest of the wall time lies between one reply and the next request: the host's own work
  // (reading and decoding the files, status texts), not waiting on the line.
  int64_t between_us =
      static_cast<int64_t>(run.update_wall_us) - static_cast<int64_t>(floor_us) - excess_sum;
  std::printf(
      "  over the floor %8.3f s in the exchanges, %.3f s between them (the host's own "
      "work)\n",
      static_cast<double>(excess_sum) / 1e6, static_cast<double>(between_us) / 1e6);

  double ratio = floor_us > 0 ? static_cast<double>(run.update_wall_us) / floor_us : 0.0;
  bool ratio_ok = floor_us > 0 && ratio <= kMaxWallOverFloor;
  std::printf("wall / floor    %9.4f     target <= %.2f   %s\n", ratio, kMaxWallOverFloor,
              Verdict(ratio_ok));

  double cpu_share = run.update_wall_us > 0 ? static_cast<double>(run.update_cpu.total_us()) /
                                                  static_cast<double>(run.update_wall_us)
                                            : 0.0;
  bool cpu_ok = cpu_share <= kMaxCpuShare;
  std::printf(
      "CPU time        %9.3f s   (user %.3f + system %.3f) = %.2f %% of the wall time, "
      "target <= %.0f %%   %s\n",
      Seconds(run.update_cpu.total_us()), Seconds(run.update_cpu.user_us),
      Seconds(run.update_cpu.system_us), 100 * cpu_share, 100 * kMaxCpuShare, Verdict(cpu_ok));

  uint64_t peak = PeakResidentKiB();
  bool memory_ok = peak <= kMaxPeakKiB;
  std::printf("peak memory     %9.2f MiB (ru_maxrss of this process), target <= %llu MiB   %s\n",
              static_cast<double>(peak) / 1024, Count(kMaxPeakKiB / 1024), Verdict(memory_ok));
  std::printf("simulator CPU   %9.3f s   (user %.3f + system %.3f, its whole run; exit %d)\n",
              Seconds(run.sim_cpu.total_us()), Seconds(run.sim_cpu.user_us),
              Seconds(run.sim_cpu.system_us), run.sim_exit_status);
  return passed && run.line_counts_agree() && ratio_ok && cpu_ok && memory_ok;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options;
  options.sim_program = ZELVO_SIM_PROGRAM;
  std::string error;
  switch (ParseBenchOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case BenchParse::kHelp:
      std::cout << BenchUsage();
      return 0;
    case BenchParse::kError:
      std::cerr << "zelvo-bench-update: " << error << "\n\n" << BenchUsage();
      return 2;
    case BenchParse::kRun:
      break;
  }

  UpdateFileSet files;
  if (!files.Write(kFirmwareVersion, options.firmware_bytes, kLogicVersion, error)) {
    std::cerr << "zelvo-bench-update: cannot write the update files: " << error << '\n';
    return 2;
  }
  zelvo::platform::SetExecutableDirectoryForTesting(files.directory());

  std::printf(
      "firmware        ZV9SWDGD.%03u: %zu data bytes in %llu records, %llu bytes of "
      "S-records\n",
      kFirmwareVersion, options.firmware_bytes, Count(files.firmware_records()),
      Count(files.firmware_file_bytes()));
  std::printf("logic           SWDJED20.%03u: 134 rows of 240 fuses\n", kLogicVersion);
  std::printf("simulator       %s --pace --processing-ms %u --rate R\n",
              options.sim_program.c_str(), options.processing_ms);
  std::fflush(stdout);

  bool all_passed = true;
  bool all_ran = true;
  for (uint32_t rate : options.rates) {
    UpdateRunSettings settings;
    settings.sim_program = options.sim_program;
    settings.rate = rate;
    settings.processing_ms = options.processing_ms;
    settings.firmware_version = kFirmwareVersion;
    settings.logic_version = kLogicVersion;
    UpdateRunResult run = RunUpdateBenchmark(settings);
    if (!run.error.empty()) all_ran = false;
    all_passed = Report(settings, run) && all_passed;
    std::fflush(stdout);
  }
  zelvo::platform::SetExecutableDirectoryForTesting("");
  CpuTime total = ProcessCpuTime();
  std::printf("\nthis process in all: CPU %.3f s (user %.3f + system %.3f)\n",
              Seconds(total.total_us()), Seconds(total.user_us), Seconds(total.system_us));
  std::printf("%s\n", all_passed ? "all targets met" : "targets missed");
  if (!all_ran) return 2;
  return all_passed ? 0 : 1;
}
