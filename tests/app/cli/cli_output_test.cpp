#include "app/cli/cli_output.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/cli/json_text.h"
#include "app/cli/trace_line_format.h"

namespace zelvo::cli {
namespace {

using platform::MessageAnswer;
using platform::MessageIcon;

class CliOutputTest : public ::testing::Test {
 protected:
  CliOutput Make(OutputMode mode, int columns = 0) {
    return CliOutput(
        out_, mode, "COM1", [this] { return ms_; }, columns);
  }
  std::ostringstream out_;
  uint32_t ms_ = 42;
};

TEST_F(CliOutputTest, OnATerminalTheStatusLineRedrawsAndAFinishedStepStays) {
  CliOutput output = Make(OutputMode::kTerminal);
  output.Status("");
  output.Status("Firmware: Erasing Flash ...");
  output.Status("Firmware: Programming Flash ... ( 50% )");
  output.Status("Firmware: Programming Flash ... passed!");
  output.Status("Starting firmware please wait....");
  output.Message("Firmware update failed!", "zelvoGDB Setup", MessageIcon::kNone);
  EXPECT_EQ(out_.str(),
            "\r\033[KFirmware: Erasing Flash ..."
            "\r\033[KFirmware: Programming Flash ... ( 50% )  [##########..........]"
            "\r\033[KFirmware: Programming Flash ... passed!\n"
            "\r\033[KStarting firmware please wait....\n"
            "zelvoGDB Setup: Firmware update failed!\n");
}

TEST_F(CliOutputTest, OnATerminalALineNeverWrapsSoItsRedrawReplacesIt) {
  CliOutput output = Make(OutputMode::kTerminal, 11);
  output.Status("Connecting to ZELVO Loader ...");
  EXPECT_EQ(out_.str(), "\r\033[KConnecting");
}

TEST_F(CliOutputTest, PlainLinesAreOneLinePerText) {
  CliOutput output = Make(OutputMode::kLines);
  output.Status("");
  output.Status("Erasing Flash and EPLD ...");
  output.Status("Erasing Flash and EPLD passed!");
  output.Question("Erase Flash and EPLD?", "zelvoGDB Setup", MessageAnswer::kYes, "--yes");
  output.Note("a note");
  EXPECT_EQ(out_.str(),
            "Erasing Flash and EPLD ...\n"
            "Erasing Flash and EPLD passed!\n"
            "zelvoGDB Setup: Erase Flash and EPLD? Yes (--yes)\n"
            "a note\n");
}

TEST_F(CliOutputTest, JsonHasOneObjectPerEventWithPortAndTime) {
  CliOutput output = Make(OutputMode::kJson);
  output.Status("");
  output.Message("Transfer failed!", "Error", MessageIcon::kExclamation);
  output.Question("Erase Flash and EPLD?", "zelvoGDB Setup", MessageAnswer::kNo, "nobody");
  IdentityView identity{"12345678", "0A1B2C123456", "1.05", "1.04",
                        "1.05",     "unknown",      "0.12", true};
  output.Identity(identity);
  BoxResult result{"update", "COM1",     false, 1, "Updating firmware and logic failed!",
                   "why",    "12345678", 900};
  output.Result(result);

  std::istringstream lines(out_.str());
  std::vector<JsonObject> events;
  for (std::string line; std::getline(lines, line);) {
    std::optional<JsonObject> event = ParseJsonObject(line);
    ASSERT_TRUE(event.has_value()) << line;
    EXPECT_EQ(JsonString(*event, "port"), "COM1");
    EXPECT_EQ(JsonInteger(*event, "ms"), 42);
    events.push_back(*event);
  }
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(JsonString(events[0], "event"), "status");
  EXPECT_EQ(JsonString(events[0], "text"), "");
  EXPECT_EQ(JsonString(events[1], "caption"), "Error");
  EXPECT_EQ(JsonString(events[1], "icon"), "exclamation");
  EXPECT_EQ(JsonString(events[2], "answer"), "no");
  EXPECT_EQ(JsonString(events[3], "logic_current"), "unknown");
  EXPECT_TRUE(JsonTrue(events[3], "update_needed"));
  EXPECT_EQ(JsonString(events[4], "event"), "result");
  EXPECT_EQ(JsonInteger(events[4], "exit_code"), 1);
  EXPECT_EQ(JsonString(events[4], "cause"), "why");
  EXPECT_EQ(JsonInteger(events[4], "elapsed_ms"), 900);
}

TEST(CliOutputFormat, PercentagesAndBars) {
  EXPECT_EQ(ProgressPercent("Logic: Programming ... ( 7% )"), 7);
  EXPECT_EQ(ProgressPercent("Firmware: Programming Flash ... ( 100% )"), 100);
  EXPECT_EQ(ProgressPercent("Firmware: Programming Flash ..."), std::nullopt);
  EXPECT_EQ(ProgressPercent("( x% )"), std::nullopt);
  EXPECT_EQ(ProgressPercent("% )"), std::nullopt);
  EXPECT_EQ(WithProgressBar("( 100% )", 4), "( 100% )  [####]");
  EXPECT_EQ(WithProgressBar("( 0% )", 4), "( 0% )  [....]");
  EXPECT_EQ(WithProgressBar("no percentage", 4), "no percentage");
  EXPECT_TRUE(EndsAStep("Writing setup data passed"));
  EXPECT_TRUE(EndsAStep("Connecting to ZELVO loader failed!"));
  EXPECT_FALSE(EndsAStep("Writing setup data ...."));
}

TEST(CliOutputFormat, TheResultLineNamesTheCauseBeforeTheStatusText) {
  BoxResult r{"info", "COM2", false, 3, "Connecting to ZELVO loader failed!", "", "", 0};
  EXPECT_EQ(ResultLine(r),
            "info on COM2 failed (exit status 3): Connecting to ZELVO loader failed!");
  r.cause = "the port does not exist";
  EXPECT_EQ(ResultLine(r), "info on COM2 failed (exit status 3): the port does not exist");
  r.passed = true;
  EXPECT_EQ(ResultLine(r), "info on COM2 passed.");
}

TEST(CliTraceLineFormat, BothDirectionsInHexWithTheTimeSinceStart) {
  LineTraceEvent write{LineTraceEvent::Kind::kWrite, 1012, {0x10, 0x02, 0xDB}, 0};
  LineTraceEvent frame{LineTraceEvent::Kind::kFrameReceived, 1250, {0x00, 0x01, 0x01}, 0};
  LineTraceEvent failed{LineTraceEvent::Kind::kReceiveFailed, 1500, {}, -1002};
  EXPECT_EQ(FormatTraceLine(write, 1000), "     12 ms  -> 10 02 DB");
  EXPECT_EQ(FormatTraceLine(frame, 1000), "    250 ms  <- 00 01 01");
  EXPECT_EQ(FormatTraceLine(failed, 1000), "    500 ms  <- receive failed (-1002)");
  // Across the wrap of the 32-bit tick counter.
  LineTraceEvent wrapped{LineTraceEvent::Kind::kWrite, 5, {0xDE}, 0};
  EXPECT_EQ(FormatTraceLine(wrapped, 0xFFFFFFFBu), "     10 ms  -> DE");
}

}  // namespace
}  // namespace zelvo::cli
