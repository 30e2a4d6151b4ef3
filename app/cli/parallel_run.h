#pragma once

#include <string>
#include <vector>

#include "app/cli/box_run.h"
#include "app/cli/cli_options.h"

namespace zelvo::cli {

// Runs the command on every port of `options` at once. The link's state is one per process, so
// each box gets a process of its own: `program` (this program's executable) is started once
// per port with that port alone and --json, its stdin on /dev/null, and its JSON lines are
// followed as they come:
// - terminal: one line per box, redrawn in place; messages and notes appear above them;
// - lines: "<port>: <text>" for every status text and message;
// - JSON: the children's lines as they are (each names its port), then a "summary" object.
// Each child's stderr (its --trace) reaches stderr with "<port>: " in front of every line.
// A summary table (port, serial number, result, time) ends the run outside JSON mode.
//
// Erase asks its question once, here, for all the boxes; the children then get --yes.
// Returns the combined exit status (summary_table.h: CombinedExitCode).
int RunBoxesInParallel(const CliOptions& options, RunStreams& streams, const std::string& program);

// The arguments (program name not included) of the child for `port`.
std::vector<std::string> ChildArguments(const CliOptions& options, const std::string& port);

}  // namespace zelvo::cli
