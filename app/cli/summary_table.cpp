#include "app/cli/summary_table.h"

#include <algorithm>
#include <cstdio>

#include "app/cli/exit_codes.h"

namespace zelvo::cli {
namespace {

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Seconds(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u s", static_cast<unsigned>(ms / 1000),
                static_cast<unsigned>(ms % 1000 / 100));
  return text;
}

}  // namespace

std::string ResultCell(const BoxResult& result) {
  if (result.passed) return "passed";
  if (!result.cause.empty()) return "failed: " + result.cause;
  if (!result.status.empty()) return "failed: " + result.status;
  return "failed (exit status " + std::to_string(result.exit_code) + ")";
}

std::string FormatSummaryTable(const std::vector<BoxResult>& results) {
  const std::string kPort = "Port";
  const std::string kSerial = "Serial number";
  const std::string kResult = "Result";
  size_t port_width = kPort.size();
  size_t serial_width = kSerial.size();
  size_t result_width = kResult.size();
  for (const BoxResult& r : results) {
    port_width = std::max(port_width, r.port.size());
    serial_width = std::max(serial_width, r.serial_number.size());
    result_width = std::max(result_width, ResultCell(r).size());
  }
  auto row = [&](const std::string& port, const std::string& serial, const std::string& cell,
                 const std::string& time) {
    return Padded(port, port_width) + "  " + Padded(serial, serial_width) + "  " +
           Padded(cell, result_width) + "  " + time + "\n";
  };
  std::string table = row(kPort, kSerial, kResult, "Time");
  size_t passed = 0;
  for (const BoxResult& r : results) {
    if (r.passed) ++passed;
    table += row(r.port, r.serial_number.empty() ? "-" : r.serial_number, ResultCell(r),
                 Seconds(r.elapsed_ms));
  }
  table += std::to_string(passed) + " of " + std::to_string(results.size()) +
           (results.size() == 1 ? " box" : " boxes") + " passed.\n";
  return table;
}

int CombinedExitCode(const std::vector<BoxResult>& results) {
  int common = kExitPassed;
  for (const BoxResult& r : results) {
    if (r.exit_code == kExitPassed) continue;
    if (common == kExitPassed) {
      common = r.exit_code;
    } else if (common != r.exit_code) {
      return kExitFailed;
    }
  }
  return common;
}

}  // namespace zelvo::cli
