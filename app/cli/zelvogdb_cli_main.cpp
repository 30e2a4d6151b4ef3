// zelvogdb-cli: the Update/Setup dialog's commands in a terminal, for machines without a
// display, remote shells and scripts. See docs/cli.md.
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/box_run.h"
#include "app/cli/cli_options.h"
#include "app/cli/exit_codes.h"
#include "app/cli/json_text.h"
#include "app/cli/parallel_run.h"
#include "platform/exe_dir.h"
#include "platform/port_names.h"
#include "platform/profile_file.h"

namespace {

int TerminalColumns() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zelvo::cli;
  const auto started = std::chrono::steady_clock::now();
  std::vector<std::string> args(argv + 1, argv + argc);

  CliParseResult parsed = ParseCliOptions(args);
  if (parsed.outcome == CliParseOutcome::kHelp) {
    std::cout << (parsed.help_topic ? CommandUsage(*parsed.help_topic) : CliUsage());
    return kExitPassed;
  }
  if (parsed.outcome == CliParseOutcome::kError) {
    if (std::find(args.begin(), args.end(), "--json") != args.end()) {
      std::cout << JsonLine()
                       .Add("event", "result")
                       .Add("passed", false)
                       .Add("exit_code", kExitUsage)
                       .Add("cause", parsed.error)
                       .Text()
                << '\n';
    }
    std::cerr << "zelvogdb-cli: " << parsed.error << "\nTry 'zelvogdb-cli --help'.\n";
    return kExitUsage;
  }
  const CliOptions& options = parsed.options;

  // The same port mapping as the window program's: section "Ports" of its profile file.
  const std::string profile_path = zelvo::platform::DefaultProfilePath("zelvogdb-setup");
  zelvo::platform::SetPortProfileLookup([profile_path](const std::string& key) {
    zelvo::platform::ProfileFile profile(profile_path);
    profile.Load();
    return profile.Find(zelvo::platform::kPortsSection, key);
  });

  OutputMode mode = OutputMode::kLines;
  if (options.json) {
    mode = OutputMode::kJson;
  } else if (::isatty(STDOUT_FILENO) == 1 && !options.trace) {
    // With --trace the trace lines on stderr would break into a line that is redrawn.
    mode = OutputMode::kTerminal;
  }
  RunStreams streams{
      std::cout,
      std::cerr,
      std::cin,
      mode,
      mode == OutputMode::kTerminal ? TerminalColumns() : 0,
      ::isatty(STDIN_FILENO) == 1,
      [started] {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - started)
                                         .count());
      }};

  if (options.ports.size() > 1) {
    std::string program = zelvo::platform::ExecutablePath();
    if (program.empty()) {
      std::cerr << "zelvogdb-cli: cannot find its own executable to run one process per box\n";
      return kExitFailed;
    }
    return RunBoxesInParallel(options, streams, program);
  }
  return RunBox(options, streams);
}
