#include "app/cli/box_run.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/cli/exit_codes.h"
#include "app/cli/firmware_verify.h"
#include "app/cli/port_choice.h"
#include "app/cli/terminal_dialog_window.h"
#include "app/cli/terminal_question.h"
#include "app/cli/trace_line_format.h"
#include "app/settings_document.h"
#include "app/setup_dialog.h"
#include "firmware/update_files.h"
#include "link/line_trace.h"
#include "link/serial_channel.h"
#include "platform/exe_dir.h"
#include "platform/tick_clock.h"
#include "platform/ui/setup_dialog_template.h"

namespace zelvo::cli {
namespace {

namespace id = platform::ui::setup_dialog;

constexpr const char* kConnectPassed = "Connecting to ZELVO Loader passed!";
constexpr const char* kUpdatePassed = "Updating firmware and logic passed!";
constexpr const char* kErasePassed = "Erasing Flash and EPLD passed!";
constexpr const char* kTransmitPassed = "Writing setup data passed";
constexpr const char* kNoBox = "There is no ZELVO9 connected!";
// Stands in for the box IP address where a command does not use it (see RunBox).
constexpr const char* kUnusedBoxIpAddress = "0.0.0.0";
// The reply of the loader's StartFirmware command carries this opcode after the 2-byte header.
constexpr uint8_t kStartFirmwareOpcode = 'q';

// Watches the line for the whole run: prints every event for --trace and notices the box's
// acknowledgement of StartFirmware. The link's tracer is process-wide; this one is removed
// when the run ends.
class LineWatch {
 public:
  LineWatch(bool print, std::ostream& err) {
    uint32_t start = platform::TickCount();
    SetLineTracer([this, print, start, &err](const LineTraceEvent& event) {
      if (print) {
        err << FormatTraceLine(event, start) << '\n';
        err.flush();
      }
      if (event.kind == LineTraceEvent::Kind::kFrameReceived && event.bytes.size() >= 3 &&
          event.bytes[2] == kStartFirmwareOpcode) {
        start_acknowledged_ = true;
      }
    });
  }
  ~LineWatch() { SetLineTracer(nullptr); }
  LineWatch(const LineWatch&) = delete;
  LineWatch& operator=(const LineWatch&) = delete;

  bool start_acknowledged() const { return start_acknowledged_; }
  void ForgetStart() { start_acknowledged_ = false; }

 private:
  bool start_acknowledged_ = false;
};

std::string Hex2(uint8_t byte) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

std::string Hex8(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string DescribeVerifyFailure(const VerifyOutcome& outcome, uint16_t version) {
  switch (outcome.status) {
    case VerifyStatus::kEqual:
      return "";
    case VerifyStatus::kDiffers:
      return "the flash differs at " + Hex8(outcome.address) + ": the file has " +
             Hex2(outcome.expected) + ", the box reads " + Hex2(outcome.actual);
    case VerifyStatus::kFileUnusable:
      return "cannot read the firmware update file " + UpdateFilePath(kFirmwareStem, version);
    case VerifyStatus::kReadFailed:
      return "reading the flash back failed at " + Hex8(outcome.address) + " (code " +
             std::to_string(outcome.code) + ")";
  }
  return "";
}

IdentityView ShownIdentity(TerminalDialogWindow& window) {
  IdentityView view;
  view.serial_number = window.ControlText(id::kSerialNumberDisplay);
  view.mac_address = window.ControlText(id::kMacAddressDisplay);
  view.loader_version = window.ControlText(id::kLoaderCurrentDisplay);
  view.firmware_current = window.ControlText(id::kFirmwareCurrentDisplay);
  view.firmware_newest = window.ControlText(id::kFirmwareNewestDisplay);
  view.logic_current = window.ControlText(id::kLogicCurrentDisplay);
  view.logic_newest = window.ControlText(id::kLogicNewestDisplay);
  view.update_needed = window.ControlEnabled(id::kUpdateButton);
  return view;
}

std::string PortLabel(const CliOptions& options, int port_index) {
  if (!options.ports.empty()) return options.ports.front();
  if (port_index >= 0 && port_index < 19) return "COM" + std::to_string(port_index + 1);
  return "port index " + std::to_string(port_index);
}

}  // namespace

int RunBox(const CliOptions& options, RunStreams& streams) {
  BoxResult result;
  result.command =
      options.command_name.empty() ? CommandName(options.command) : options.command_name;

  // The values: the settings document's (a new document's without one), then the options'.
  CZelvohsDoc document;
  std::string settings_error;
  if (!options.settings_file.empty()) {
    DocumentFileResult loaded = LoadDocumentFile(document, options.settings_file);
    if (!loaded.ok) settings_error = loaded.message;
  }
  SetupValues values = CopySetupValues(document);
  if (!options.ports.empty()) values.port_index = ChoosePort(options.ports.front());
  if (options.speed_index) values.speed_index = *options.speed_index;

  result.port = PortLabel(options, values.port_index);
  CliOutput output(streams.out, streams.mode, result.port, streams.elapsed_ms, streams.columns);
  auto finish = [&](int exit_code) {
    result.exit_code = exit_code;
    result.passed = exit_code == kExitPassed;
    result.elapsed_ms = streams.elapsed_ms ? streams.elapsed_ms() : 0;
    output.Result(result);
    return exit_code;
  };
  if (!settings_error.empty()) {
    result.cause = settings_error;
    return finish(kExitUsage);
  }

  if (options.command == CliCommand::kTransmit) {
    if (options.box_ip_address) values.box_ip_address = *options.box_ip_address;
    if (options.subnet_mask) values.subnet_mask = *options.subnet_mask;
    if (options.default_gateway) values.default_gateway = *options.default_gateway;
    if (options.config_host_ip_address) {
      values.config_host_ip_address = *options.config_host_ip_address;
    }
    if (options.config_file_name) values.config_file_name = *options.config_file_name;
  } else {
    values.box_ip_address = kUnusedBoxIpAddress;
    values.subnet_mask.clear();
    values.default_gateway.clear();
    values.config_host_ip_address.clear();
    values.config_file_name.clear();
  }

  LineWatch watch(options.trace, streams.err);
  TerminalQuestion question(options.yes, streams.stdin_is_terminal, streams.in,
                            streams.mode == OutputMode::kJson ? streams.err : streams.out);
  TerminalDialogWindow window(output,
                              [&question](const std::string& text) { return question.Ask(text); });
  CSetupDlg dlg(window);
  dlg.SetValues(values);

  // A command raises nothing of its own; an exception that comes through anyway (a file that
  // cannot be read to its end, no memory) ends it as a failure, with the box left as OK leaves.
  auto guarded = [&](const auto& step) {
    try {
      step();
      return true;
    } catch (const std::exception& e) {
      output.Message(e.what(), platform::kApplicationTitle, platform::MessageIcon::kNone);
      result.cause = std::string("the command stopped: ") + e.what();
      return false;
    }
  };

  bool ran = guarded([&] {
    dlg.Initialise();
    dlg.OnConnect();
  });
  if (!dlg.connected()) {
    CloseLink();
    if (!ran) return finish(kExitFailed);
    result.status = window.status();
    if (window.status().empty()) {
      // The dialog's value check stopped Connect before anything was sent.
      result.cause = "the values were refused (see the message above); nothing was sent";
      return finish(kExitUsage);
    }
    result.cause = ConnectFailureCause(
        dlg.port_index, DevicePathForPortIndex(dlg.port_index), SerialChannel::LastOpenError(),
        SerialChannel::LastOpenDetail(), window.last_message() == kNoBox);
    return finish(kExitCannotConnect);
  }
  result.serial_number = dlg.serial_number;
  output.Identity(ShownIdentity(window));

  bool passed = false;
  int failure_code = kExitFailed;
  switch (options.command) {
    case CliCommand::kInfo:
      result.status = window.status();
      passed = result.status == kConnectPassed;
      break;

    case CliCommand::kUpdate:
      if (dlg.firmware_newest_version == 0 && dlg.logic_newest_version == 0) {
        output.Note("No update files (" + std::string(kFirmwareStem) + ".nnn, " + kLogicStem +
                    ".nnn) in " + platform::ExecutableDirectory());
      } else if (!window.ControlEnabled(id::kUpdateButton)) {
        output.Note("The box holds the newest firmware and logic already: nothing is written.");
      }
      ran = guarded([&] { dlg.OnUpdate(); });
      result.status = window.status();
      passed = ran && result.status == kUpdatePassed;
      if (passed) output.Identity(ShownIdentity(window));
      if (passed && options.verify) {
        if (dlg.firmware_newest_version == 0) {
          result.cause = "nothing to verify: no firmware update file (" +
                         std::string(kFirmwareStem) + ".nnn) in " + platform::ExecutableDirectory();
          passed = false;
        } else {
          VerifyOutcome outcome;
          ran = guarded(
              [&] { outcome = VerifyFirmware(dlg.firmware_newest_version, window.Status()); });
          result.status = window.status();
          passed = ran && outcome.status == VerifyStatus::kEqual;
          if (ran && !passed) {
            result.cause = DescribeVerifyFailure(outcome, dlg.firmware_newest_version);
          }
        }
      }
      break;

    case CliCommand::kErase: {
      int before = window.status_count();
      ran = guarded([&] { dlg.OnErase(); });
      result.status = window.status();
      passed = ran && result.status == kErasePassed;
      if (ran && window.status_count() == before) {
        result.cause = "nothing was erased: the question was answered No";
      }
      break;
    }

    case CliCommand::kTransmit: {
      int before = window.status_count();
      ran = guarded([&] { dlg.OnTransmit(); });
      result.status = window.status();
      passed = ran && result.status == kTransmitPassed;
      if (ran && window.status_count() == before) {
        result.cause = "the values were refused (see the message above); nothing was sent";
        failure_code = kExitUsage;
      }
      break;
    }

    case CliCommand::kStart:
      break;
  }

  // Leaving: the box's firmware is started and the link closed, whatever happened above.
  watch.ForgetStart();
  bool left = guarded([&] {
    if (options.command == CliCommand::kInfo) {
      dlg.OnCancel();
    } else {
      dlg.OnOK();
    }
  });
  CloseLink();
  if (options.command == CliCommand::kStart) {
    result.status = window.status();
    passed = left && watch.start_acknowledged();
    if (left && !passed) result.cause = "the box did not acknowledge the start of its firmware";
  }
  return finish(passed ? kExitPassed : failure_code);
}

}  // namespace zelvo::cli
