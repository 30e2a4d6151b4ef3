#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace zelvo::sim {
namespace {

ParseOutcome Parse(std::vector<std::string> args, SimOptions& options) {
  std::string error;
  ParseOutcome outcome = ParseSimOptions(args, options, error);
  EXPECT_EQ(outcome == ParseOutcome::kError, !error.empty()) << error;
  return outcome;
}

TEST(SimOptions, ReadsValuesAndSwitches) {
  SimOptions o;
  ASSERT_EQ(Parse({"--rate",
                   "19200",
                   "--pace",
                   "--processing-ms=5",
                   "--state",
                   "box.txt",
                   "--serial",
                   "123456789C",
                   "--loader-version",
                   "0x0105",
                   "--device-type",
                   "18",
                   "--refuse-rate",
                   "115200",
                   "--refuse-rate",
                   "57600",
                   "--confirm-rate",
                   "38400",
                   "--no-final-ping",
                   "--setspeed-reply-len",
                   "8",
                   "--drop-replies",
                   "2:g",
                   "--corrupt-check",
                   "1",
                   "--erase-fail",
                   "0x01080000",
                   "--program-fail-at",
                   "0x01040010",
                   "--bad-erased-row",
                   "7",
                   "--identity-letter",
                   "D",
                   "--loader-checks-r",
                   "3",
                   "--random-drop",
                   "0.25",
                   "--random-seed",
                   "9",
                   "--exit-after-requests",
                   "40"},
                  o),
            ParseOutcome::kRun);
  EXPECT_EQ(o.rate, 19200u);
  EXPECT_TRUE(o.pace);
  EXPECT_EQ(o.processing_ms, 5u);
  EXPECT_EQ(o.state_file, "box.txt");
  EXPECT_EQ(o.serial, "123456789C");
  EXPECT_EQ(o.loader_version, 0x0105);
  EXPECT_EQ(o.device_type, 18);
  EXPECT_EQ(o.faults.refused_rates, (std::set<uint32_t>{57600, 115200}));
  EXPECT_EQ(o.faults.confirm_rate, 38400u);
  EXPECT_TRUE(o.faults.no_final_ping);
  EXPECT_EQ(o.faults.setspeed_reply_length, 8);
  EXPECT_EQ(o.faults.drop_replies.count, 2);
  EXPECT_EQ(o.faults.drop_replies.opcode, 'g');
  EXPECT_EQ(o.faults.corrupt_check.count, 1);
  EXPECT_EQ(o.faults.corrupt_check.opcode, 0);
  EXPECT_EQ(o.faults.failing_erase_sectors, (std::set<uint32_t>{0x01080000}));
  EXPECT_EQ(o.faults.failing_program_at, 0x01040010u);
  EXPECT_EQ(o.faults.bad_erased_image_row, 7);
  EXPECT_EQ(o.faults.identity_letter, 'D');
  EXPECT_EQ(o.faults.loader_checks_in_setting, 3);
  ASSERT_TRUE(o.random.has_value());
  EXPECT_DOUBLE_EQ(o.random->drop, 0.25);
  EXPECT_EQ(o.random->seed, 9u);
  EXPECT_EQ(o.exit_after_requests, 40);

  Box box;
  ApplySimOptions(o, box);
  EXPECT_EQ(box.listen_rate(), 19200u);
  EXPECT_EQ(box.serial(), "123456789C");
  EXPECT_EQ(box.logic().device_type(), 18);
  EXPECT_EQ(box.faults().confirm_rate, 38400u);
}

TEST(SimOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad = {
      {"--rate"},
      {"--rate", "fast"},
      {"--rate", "0"},
      {"--rate", "-9600"},
      {"--serial", "123"},
      {"--loader-version", "65536"},
      {"--pace=yes"},
      {"--drop-replies", "2:"},
      {"--random-drop", "1.5"},
      {"--frobnicate"},
      {"--setspeed-reply-len", "1"},
      {"--state", ""},
  };
  for (const auto& args : bad) {
    SimOptions o;
    EXPECT_EQ(Parse(args, o), ParseOutcome::kError) << args[0];
  }
  SimOptions o;
  EXPECT_EQ(Parse({"--rate", "9600", "--help"}, o), ParseOutcome::kHelp);
  for (const char* option : {"--rate", "--state", "--silent", "--no-final-ping", "--pace",
                             "--exit-after-requests", "--setspeed-reply-len"}) {
    EXPECT_NE(SimUsage().find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace zelvo::sim
