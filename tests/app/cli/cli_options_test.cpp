#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

namespace zelvo::cli {
namespace {

using Args = std::vector<std::string>;

TEST(CliOptions, ReadsACommandWithItsValuesInBothForms) {
  CliParseResult r =
      ParseCliOptions({"transmit", "--port", "COM3", "--speed=57600", "--ip", "10.0.0.2",
                       "--mask=255.0.0.0", "--gateway", "10.0.0.1", "--config-host", "10.0.0.3",
                       "--config-file=-x.cfg", "--settings", "a.gdb", "--json", "--trace"});
  ASSERT_EQ(r.outcome, CliParseOutcome::kRun) << r.error;
  const CliOptions& o = r.options;
  EXPECT_EQ(o.command, CliCommand::kTransmit);
  EXPECT_EQ(o.ports, Args{"COM3"});
  EXPECT_EQ(o.speed_index, 3);
  EXPECT_EQ(o.box_ip_address, "10.0.0.2");
  EXPECT_EQ(o.subnet_mask, "255.0.0.0");
  EXPECT_EQ(o.default_gateway, "10.0.0.1");
  EXPECT_EQ(o.config_host_ip_address, "10.0.0.3");
  EXPECT_EQ(o.config_file_name, "-x.cfg");
  EXPECT_EQ(o.settings_file, "a.gdb");
  EXPECT_TRUE(o.json);
  EXPECT_TRUE(o.trace);
  EXPECT_FALSE(o.yes);
}

TEST(CliOptions, TakesSeveralPortsRepeatedOrAsACommaList) {
  CliParseResult r =
      ParseCliOptions({"update", "--port", "COM1,/dev/ttyUSB0", "--port=com2", "--verify"});
  ASSERT_EQ(r.outcome, CliParseOutcome::kRun) << r.error;
  EXPECT_EQ(r.options.ports, (Args{"COM1", "/dev/ttyUSB0", "com2"}));
  EXPECT_TRUE(r.options.verify);
}

TEST(CliOptions, ConnectIsInfoUnderItsOwnName) {
  CliParseResult r = ParseCliOptions({"connect", "-y"});
  EXPECT_EQ(r.outcome, CliParseOutcome::kError) << "--yes is erase's";
  r = ParseCliOptions({"connect"});
  ASSERT_EQ(r.outcome, CliParseOutcome::kRun);
  EXPECT_EQ(r.options.command, CliCommand::kInfo);
  EXPECT_EQ(r.options.command_name, "connect");
}

TEST(CliOptions, RefusesWhatCannotBeRunWithAReason) {
  struct Case {
    Args args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"reboot"}, "unknown command 'reboot'"},
      {{"info", "extra"}, "unexpected argument 'extra'"},
      {{"info", "--colour"}, "unknown option '--colour'"},
      {{"info", "--port"}, "--port needs a value"},
      {{"info", "--json=1"}, "--json takes no value"},
      {{"info", "--speed", "4800"}, "--speed takes 9600"},
      {{"info", "--speed", "5"}, "--speed takes 9600"},
      {{"info", "--port", "COM0"}, "unknown port 'COM0'"},
      {{"info", "--port", "COM20"}, "unknown port 'COM20'"},
      {{"info", "--port", "ttyUSB0"}, "unknown port 'ttyUSB0'"},
      {{"info", "--port", "COM1,,COM2"}, "empty port name"},
      {{"info", "--port", "COM1,com1"}, "port 'com1' is given twice"},
      {{"erase", "--verify"}, "--verify belongs to the update command only"},
      {{"update", "--yes"}, "--yes belongs to the erase command only"},
      {{"update", "--ip", "1.2.3.4"}, "--ip belongs to the transmit command only"},
      {{"info", "--config-file="}, "--config-file belongs to the transmit command only"},
      {{"start", "--port", "COM1", "--port", "COM2"}, "start takes one port"},
      {{"info", "--settings="}, "--settings needs a file name"},
  };
  for (const Case& c : cases) {
    CliParseResult r = ParseCliOptions(c.args);
    EXPECT_EQ(r.outcome, CliParseOutcome::kError) << c.error;
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
  }
}

TEST(CliOptions, HelpNamesItsCommandWhereOneIsGiven) {
  CliParseResult r = ParseCliOptions({"--help"});
  EXPECT_EQ(r.outcome, CliParseOutcome::kHelp);
  EXPECT_FALSE(r.help_topic.has_value());
  r = ParseCliOptions({"erase", "-h"});
  EXPECT_EQ(r.outcome, CliParseOutcome::kHelp);
  EXPECT_EQ(r.help_topic, CliCommand::kErase);
  r = ParseCliOptions({"help", "update"});
  EXPECT_EQ(r.outcome, CliParseOutcome::kHelp);
  EXPECT_EQ(r.help_topic, CliCommand::kUpdate);
}

TEST(CliOptions, SpeedsAndPorts) {
  const std::pair<std::string, std::optional<int>> speeds[] = {
      {"0", 0},
      {"4", 4},
      {"9600", 0},
      {"19200", 1},
      {"38400", 2},
      {"57600", 3},
      {"115200", 4},
      {"5", std::nullopt},
      {"14400", std::nullopt},
      {"", std::nullopt},
      {"fast", std::nullopt},
      {"99999999999999", std::nullopt},
  };
  for (const auto& [text, index] : speeds) EXPECT_EQ(ParseSpeed(text), index) << text;

  const std::pair<std::string, std::optional<int>> ports[] = {
      {"COM1", 0},
      {"com19", 18},
      {"Com7", 6},
      {"COM20", std::nullopt},
      {"COM01", std::nullopt},
      {"COM", std::nullopt},
      {"\\\\.\\COM1", std::nullopt},
      {"/dev/ttyS0", std::nullopt},
  };
  for (const auto& [text, index] : ports) EXPECT_EQ(ComPortIndex(text), index) << text;
  EXPECT_TRUE(IsDevicePath("/dev/ttyUSB0"));
  EXPECT_TRUE(IsDevicePath("./pty"));
  EXPECT_FALSE(IsDevicePath("ttyUSB0"));
}

TEST(CliOptions, EveryCommandsHelpHasItsExample) {
  for (CliCommand c : {CliCommand::kInfo, CliCommand::kUpdate, CliCommand::kErase,
                       CliCommand::kTransmit, CliCommand::kStart}) {
    std::string example = std::string("zelvogdb-cli ") + CommandName(c) + " --port";
    EXPECT_NE(CommandUsage(c).find(example), std::string::npos) << CommandName(c);
    EXPECT_NE(CliUsage().find(example), std::string::npos) << CommandName(c);
  }
}

}  // namespace
}  // namespace zelvo::cli
