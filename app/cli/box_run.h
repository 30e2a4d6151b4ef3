#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <ostream>

#include "app/cli/cli_options.h"
#include "app/cli/cli_output.h"

namespace zelvo::cli {

// Where one run reads and writes, and what it knows of its terminal.
struct RunStreams {
  std::ostream& out;  // status texts, messages, identity, result (or their JSON lines)
  std::ostream& err;  // --trace, and problems with the options' files
  std::istream& in;   // answers to questions
  OutputMode mode = OutputMode::kLines;
  int columns = 0;                       // the terminal's width, 0 when unknown
  bool stdin_is_terminal = false;        // questions can be asked
  std::function<uint32_t()> elapsed_ms;  // time since the program started
};

// Runs one command on one box (the options' first port, or the settings document's) on the
// Update/Setup dialog's logic, as a user of the dialog would:
//   1. the dialog is built on a TerminalDialogWindow, filled with the values (the settings
//      document's, overridden by the options') and initialised;
//   2. Connect; when it fails, nothing more is done (exit 3, or 2 when the dialog refused the
//      values before it sent anything);
//   3. the command: info shows what the dialog shows; update runs Update (and --verify reads the
//      firmware back); erase runs Erase (its question answered by the terminal or --yes);
//      transmit runs Transmit; start runs nothing more;
//   4. leaving: info by Cancel, every other command by OK; both start the box's firmware and
//      close the link.
// The network values are the dialog's only for transmit: every other command gives the dialog
// a neutral set (box IP address 0.0.0.0, the others empty), as they are never sent then and the
// dialog's check of the box IP address must not stop a command that does not use it.
// Returns the exit status (exit_codes.h).
int RunBox(const CliOptions& options, RunStreams& streams);

}  // namespace zelvo::cli
