#pragma once

#include <string>
#include <vector>

#include "app/cli/cli_output.h"

namespace zelvo::cli {

// The table printed after several boxes ran at once, one row per box in the order of the
// ports, with a heading and a closing count:
//   Port          Serial number  Result                                 Time
//   /dev/pts/3    12345678       passed                                 4.2 s
//   /dev/pts/4    -              failed: the port does not exist ...    0.1 s
//   1 of 2 boxes passed.
std::string FormatSummaryTable(const std::vector<BoxResult>& results);

// The "Result" cell: "passed", else "failed: " and the cause (or the final status text).
std::string ResultCell(const BoxResult& result);

// The exit status of several boxes' runs: 0 when all passed; when every failure has the same
// status, that one (all 3: no box could be connected); otherwise 1.
int CombinedExitCode(const std::vector<BoxResult>& results);

}  // namespace zelvo::cli
