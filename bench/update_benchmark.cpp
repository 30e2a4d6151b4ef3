#include "bench/update_benchmark.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <iterator>

#include "app/setup_dialog.h"
#include "bench/sim_process.h"
#include "link/serial_channel.h"
#include "platform/ui/headless_dialog_window.h"
#include "platform/ui/setup_dialog_template.h"

namespace zelvo::bench {
namespace {

constexpr const char* kUpdatePassed = "Updating firmware and logic passed!";
constexpr const char* kConnectPassed = "Connecting to ZELVO Loader passed!";

uint64_t MicrosecondsSince(std::chrono::steady_clock::time_point start) {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count());
}

int SpeedIndex(uint32_t rate) {
  auto found = std::find(std::begin(SpeedTable), std::end(SpeedTable), rate);
  return found == std::end(SpeedTable) ? -1 : static_cast<int>(found - std::begin(SpeedTable));
}

}  // namespace

bool UpdateRunResult::line_counts_agree() const {
  return !sim_io_known ||
         (sim_read_bytes == update_line.host_bytes && sim_written_bytes == update_line.reply_bytes);
}

bool UpdateRunResult::update_passed(const UpdateRunSettings& settings) const {
  return error.empty() && connected && update_status == kUpdatePassed && messages.empty() &&
         firmware_version_after == settings.firmware_version &&
         logic_version_after == settings.logic_version;
}

UpdateRunResult RunUpdateBenchmark(const UpdateRunSettings& settings) {
  UpdateRunResult result;
  int speed_index = SpeedIndex(settings.rate);
  if (speed_index < 0) {
    result.error = "no link speed of " + std::to_string(settings.rate) + " baud";
    return result;
  }

  SimProcess sim;
  std::vector<std::string> args = {"--pace", "--rate", std::to_string(settings.rate),
                                   "--processing-ms", std::to_string(settings.processing_ms)};
  if (!sim.Start(settings.sim_program, args, result.error)) return result;
  ::setenv("ZELVO_COM1", sim.pty_path().c_str(), 1);

  platform::ui::HeadlessDialogWindow window(platform::ui::SetupDialogTemplate());
  CSetupDlg dlg(window);
  // The values a settings document would bring: COM1 at the chosen speed, valid addresses.
  dlg.port_index = 0;
  dlg.speed_index = speed_index;
  dlg.box_ip_address = "192.168.1.10";
  dlg.config_host_ip_address = "192.168.1.1";
  dlg.config_file_name = "zelvo.cfg";
  dlg.subnet_mask = "255.255.255.0";
  dlg.default_gateway = "192.168.1.254";
  dlg.Initialise();

  auto connect_start = std::chrono::steady_clock::now();
  dlg.OnConnect();
  result.connect_wall_us = MicrosecondsSince(connect_start);
  result.connect_status = window.recorder().status();
  result.connected = dlg.connected() && result.connect_status == kConnectPassed;

  if (result.connected) {
    window.ClearEvents();
    uint64_t read_before = 0;
    uint64_t written_before = 0;
    bool io_before = sim.ReadIoCounters(read_before, written_before);
    CpuTime cpu_before = ProcessCpuTime();
    auto update_start = std::chrono::steady_clock::now();
    {
      ScopedLineTally tally(settings.rate, settings.processing_ms);
      dlg.OnUpdate();
      tally.Stop();
      result.update_wall_us = MicrosecondsSince(update_start);
      result.update_cpu = ProcessCpuTime() - cpu_before;
      result.update_line = tally.counts();
    }
    uint64_t read_after = 0;
    uint64_t written_after = 0;
    if (io_before && sim.ReadIoCounters(read_after, written_after)) {
      result.sim_io_known = true;
      result.sim_read_bytes = read_after - read_before;
      result.sim_written_bytes = written_after - written_before;
    }
    result.update_status = window.recorder().status();
    result.messages = window.MessageTexts();
    result.firmware_version_after = dlg.firmware_current_version;
    result.logic_version_after = dlg.logic_current_version;
  }

  CloseLink();
  SerialChannel::ClosePort();
  ::unsetenv("ZELVO_COM1");
  sim.Stop();
  result.sim_cpu = sim.cpu();
  result.sim_exit_status = sim.exit_status();
  return result;
}

}  // namespace zelvo::bench
