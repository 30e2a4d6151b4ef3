#include "bench/bench_options.h"

#include <algorithm>
#include <charconv>

#include "link/serial_channel.h"
#include "tools/update_images.h"

namespace zelvo::bench {
namespace {

// The firmware sectors end at 0x01100000; a larger image could not be programmed.
constexpr uint64_t kMaxFirmwareBytes = 0x01100000 - tools::kFirmwareDataAddress;

bool ParseNumber(const std::string& text, uint64_t limit, uint64_t& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  auto [rest, failure] = std::from_chars(begin, end, value, 10);
  return failure == std::errc() && rest == end && rest != begin && value <= limit;
}

bool AddRates(const std::string& list, std::vector<uint32_t>& rates) {
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
    uint64_t rate = 0;
    if (!ParseNumber(item, UINT32_MAX, rate)) return false;
    if (std::find(std::begin(SpeedTable), std::end(SpeedTable), rate) == std::end(SpeedTable)) {
      return false;
    }
    rates.push_back(static_cast<uint32_t>(rate));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

std::string BenchUsage() {
  return "Usage: zelvo-bench-update [options]\n"
         "Runs Connect and a full Update (firmware, then logic) of the Update/Setup dialog\n"
         "against zelvo9-sim on a pty, the simulator pacing its replies at the line rate, and\n"
         "compares the Update's wall time with the line time of what crossed the line.\n"
         "  --rate R[,R...]       line rate(s) to run at: 9600, 19200, 38400, 57600 or 115200\n"
         "                        (repeatable; default 115200)\n"
         "  --firmware-bytes N    firmware data bytes, version word included (default 204800)\n"
         "  --processing-ms N     the simulated loader's time per request (default 2)\n"
         "  --sim PATH            the zelvo9-sim program (default: the one built with this)\n"
         "  --help                this text\n"
         "Exit status: 0 when every target is met, 1 when one is missed, 2 for a bad command\n"
         "line or a run that could not be made.\n";
}

BenchParse ParseBenchOptions(const std::vector<std::string>& args, BenchOptions& options,
                             std::string& error) {
  std::vector<uint32_t> rates;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string option = args[i];
    std::string value;
    bool has_value = false;
    size_t equals = option.find('=');
    if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = option.substr(equals + 1);
      option = option.substr(0, equals);
      has_value = true;
    }
    if (option == "--help") return BenchParse::kHelp;
    if (option != "--rate" && option != "--firmware-bytes" && option != "--processing-ms" &&
        option != "--sim") {
      error = "unknown option: " + args[i];
      return BenchParse::kError;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        error = option + " needs a value";
        return BenchParse::kError;
      }
      value = args[++i];
    }
    uint64_t number = 0;
    if (option == "--rate") {
      if (!AddRates(value, rates)) {
        error = "--rate takes 9600, 19200, 38400, 57600 or 115200 (or a list of them): " + value;
        return BenchParse::kError;
      }
    } else if (option == "--firmware-bytes") {
      if (!ParseNumber(value, kMaxFirmwareBytes, number) || number < 2) {
        error = "--firmware-bytes takes 2 to " + std::to_string(kMaxFirmwareBytes) + ": " + value;
        return BenchParse::kError;
      }
      options.firmware_bytes = static_cast<size_t>(number);
    } else if (option == "--processing-ms") {
      if (!ParseNumber(value, 60'000, number)) {
        error = "--processing-ms takes 0 to 60000: " + value;
        return BenchParse::kError;
      }
      options.processing_ms = static_cast<uint32_t>(number);
    } else {
      if (value.empty()) {
        error = "--sim needs a path";
        return BenchParse::kError;
      }
      options.sim_program = value;
    }
  }
  if (!rates.empty()) options.rates = rates;
  if (options.rates.empty()) options.rates = {115200};
  return BenchParse::kRun;
}

}  // namespace zelvo::bench
