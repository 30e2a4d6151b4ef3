// zelvo9-sim: a simulated ZELVO9 box on a pseudo-terminal, for trying the setup utility without
// the hardware. See sim/README.md.
#include <sys/stat.h>

#include <iostream>
#include <string>
#include <vector>

#include "sim/box.h"
#include "sim/box_state_file.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"

int main(int argc, char** argv) {
  using namespace zelvo::sim;
  std::vector<std::string> args(argv + 1, argv + argc);
  SimOptions options;
  std::string error;
  switch (ParseSimOptions(args, options, error)) {
    case ParseOutcome::kHelp:
      std::cout << SimUsage();
      return 0;
    case ParseOutcome::kError:
      std::cerr << "zelvo9-sim: " << error << "\n\n" << SimUsage();
      return 2;
    case ParseOutcome::kRun:
      break;
  }

  Box box;
  if (!options.state_file.empty()) {
    struct stat info {};
    if (stat(options.state_file.c_str(), &info) == 0) {
      // A state that does not load is left alone: better to stop than to overwrite it.
      if (!LoadBoxState(box, options.state_file, error)) {
        std::cerr << "zelvo9-sim: " << error << '\n';
        return 2;
      }
    }
  }
  ApplySimOptions(options, box);

  PtyServeSettings settings;
  settings.pace = options.pace;
  settings.state_file = options.state_file;
  settings.exit_after_requests = options.exit_after_requests;
  return ServeOnPty(box, settings, std::cout, std::cerr);
}
