#include "app/cli/summary_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/cli/parallel_run.h"
#include "app/cli/progress_board.h"

namespace zelvo::cli {
namespace {

BoxResult Box(std::string port, int exit_code, std::string serial = "", std::string cause = "",
              uint32_t ms = 0) {
  BoxResult r;
  r.command = "update";
  r.port = std::move(port);
  r.exit_code = exit_code;
  r.passed = exit_code == 0;
  r.serial_number = std::move(serial);
  r.cause = std::move(cause);
  r.elapsed_ms = ms;
  return r;
}

TEST(CliSummaryTable, OneAlignedRowPerBoxAndACount) {
  std::string table = FormatSummaryTable(
      {Box("/dev/ttyUSB0", 0, "12345678", "", 4250), Box("COM2", 3, "", "no such port", 120)});
  EXPECT_EQ(table,
            "Port          Serial number  Result                Time\n"
            "/dev/ttyUSB0  12345678       passed                4.2 s\n"
            "COM2          -              failed: no such port  0.1 s\n"
            "1 of 2 boxes passed.\n");
}

TEST(CliSummaryTable, TheCombinedExitStatusIsTheCommonFailureOrOne) {
  struct Case {
    std::vector<int> codes;
    int combined;
  };
  const Case cases[] = {
      {{0, 0}, 0}, {{0, 3}, 3}, {{3, 3}, 3}, {{1, 0, 1}, 1}, {{3, 1}, 1}, {{2, 2}, 2}, {{2, 3}, 1},
  };
  for (const Case& c : cases) {
    std::vector<BoxResult> results;
    for (int code : c.codes) results.push_back(Box("p" + std::to_string(results.size()), code));
    EXPECT_EQ(CombinedExitCode(results), c.combined) << ::testing::PrintToString(c.codes);
  }
}

TEST(CliProgressBoard, OnATerminalEachBoxRewritesItsOwnLineAndMessagesGoAbove) {
  std::ostringstream out;
  ProgressBoard board(out, true, {"COM1", "/dev/pts/7"});
  board.Begin();
  EXPECT_EQ(out.str(), "\r\033[KCOM1        \n\r\033[K/dev/pts/7  \n");
  out.str("");
  board.Status(0, "Connecting to ZELVO Loader ...");
  EXPECT_EQ(out.str(), "\033[2A\r\033[KCOM1        Connecting to ZELVO Loader ...\033[2B\r");
  out.str("");
  board.Line(1, "zelvoGDB Setup: Cannot connect to ZELVO loader!");
  EXPECT_EQ(out.str(),
            "\033[2A\r\033[K/dev/pts/7: zelvoGDB Setup: Cannot connect to ZELVO loader!\n"
            "\r\033[KCOM1        Connecting to ZELVO Loader ...\n"
            "\r\033[K/dev/pts/7  \n");
}

TEST(CliProgressBoard, OtherwiseEveryTextIsALineNamingItsPort) {
  std::ostringstream out;
  ProgressBoard board(out, false, {"COM1", "COM2"});
  board.Begin();
  board.Status(1, "");
  board.Status(1, "Writing setup data ....");
  board.Line(0, "zelvoGDB Setup: Transfer failed!");
  board.Status(5, "no such box");
  EXPECT_EQ(out.str(), "COM2: Writing setup data ....\nCOM1: zelvoGDB Setup: Transfer failed!\n");
}

TEST(CliParallelRun, EachChildGetsOnePortAndTheSameValuesAsJson) {
  CliOptions options;
  options.command = CliCommand::kTransmit;
  options.ports = {"COM1", "/dev/ttyUSB3"};
  options.speed_index = 4;
  options.settings_file = "lab.gdb";
  options.box_ip_address = "10.0.0.5";
  options.config_file_name = "-odd.cfg";
  options.trace = true;
  EXPECT_EQ(ChildArguments(options, "/dev/ttyUSB3"),
            (std::vector<std::string>{"transmit", "--port=/dev/ttyUSB3", "--json", "--speed=4",
                                      "--settings=lab.gdb", "--ip=10.0.0.5",
                                      "--config-file=-odd.cfg", "--trace"}));
  // What the child is given reads back as the parent's options for its one port.
  CliParseResult child = ParseCliOptions(ChildArguments(options, "COM1"));
  ASSERT_EQ(child.outcome, CliParseOutcome::kRun) << child.error;
  EXPECT_EQ(child.options.ports, std::vector<std::string>{"COM1"});
  EXPECT_EQ(child.options.config_file_name, "-odd.cfg");
  EXPECT_TRUE(child.options.json);
}

}  // namespace
}  // namespace zelvo::cli
