#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "app/cli/json_text.h"
#include "platform/dialog_feedback.h"

namespace zelvo::cli {

// How a run shows itself on stdout:
// - kTerminal: stdout is a terminal; the status line is one line redrawn in place (carriage
//   return, clear to the end of the line), with a bar for texts that carry a percentage; a text
//   that ends a step ("... passed!", "... failed!") stays on its own line.
// - kLines: one line per status text, for logs and pipes.
// - kJson: one JSON object per line (see json_text.h) for every event.
enum class OutputMode { kTerminal, kLines, kJson };

// What the dialog's displays show after Connect.
struct IdentityView {
  std::string serial_number;
  std::string mac_address;
  std::string loader_version;  // the display texts: "1.05", "unknown"
  std::string firmware_current;
  std::string firmware_newest;
  std::string logic_current;
  std::string logic_newest;
  bool update_needed = false;  // the Update button's state
};

// The outcome of one box's run.
struct BoxResult {
  std::string command;  // "update"
  std::string port;     // as given: "COM1", "/dev/ttyUSB0"
  bool passed = false;
  int exit_code = 0;
  std::string status;         // the command's final status text
  std::string cause;          // what the front end knows beyond the status text, or empty
  std::string serial_number;  // empty when the box was not reached
  uint32_t elapsed_ms = 0;
};

// The events of one box's run, written to `out` as `mode` says. `elapsed_ms` gives the time
// stamp of each JSON event (milliseconds since the program started).
class CliOutput {
 public:
  CliOutput(std::ostream& out, OutputMode mode, std::string port,
            std::function<uint32_t()> elapsed_ms, int columns = 0);

  OutputMode mode() const { return mode_; }

  void Status(const std::string& text);
  void Message(const std::string& text, const std::string& caption, platform::MessageIcon icon);
  // A Yes/No question, asked and answered; `how` says who answered ("--yes", "terminal", ...).
  void Question(const std::string& text, const std::string& caption, platform::MessageAnswer answer,
                const std::string& how);
  // A remark of the front end's own (a cause, a hint).
  void Note(const std::string& text);
  void Identity(const IdentityView& identity);
  void Result(const BoxResult& result);
  // Ends a status line that is still being redrawn, so that other output starts on a new line.
  void EndLine();

 private:
  void Write(const std::string& text);
  std::string Event(const std::string& kind) const;
  // An event object with the fields of `fields` after the event's own, as one line.
  void WriteEvent(const std::string& kind, const JsonLine& fields);

  std::ostream& out_;
  OutputMode mode_;
  std::string port_;
  std::function<uint32_t()> elapsed_ms_;
  int columns_;
  bool line_open_ = false;
};

// The pieces of the terminal form, for the front end's other outputs too.
// True for a status text that ends a step: it ends in "passed", "passed!" or "failed!".
bool EndsAStep(const std::string& text);
// The whole percentage at the end of a progress text ("... ( 43% )"), or nullopt.
std::optional<int> ProgressPercent(const std::string& text);
// `text` with a bar of `width` cells after it when it carries a percentage.
std::string WithProgressBar(const std::string& text, int width = 20);
// Carriage return, clear to the end of the line, then `text` cut to `columns` - 1 characters
// (not cut when columns is 0), so that the line never wraps and the next redraw replaces it.
std::string RedrawnLine(const std::string& text, int columns);
// "zelvoGDB Setup: Firmware update failed!"
std::string MessageLine(const std::string& caption, const std::string& text);
// "update on COM1 passed." / "update on COM1 failed: <cause>."
std::string ResultLine(const BoxResult& result);

}  // namespace zelvo::cli
